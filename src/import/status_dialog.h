// The "Import Status" window: on screen while a command-line import runs, and the holder
// of everything one import needs. It is modeless, has no owner and never runs a message
// loop of its own: every change of a status line is painted at once.
#pragma once

#include <memory>
#include <string>

#include "config/import_settings.h"
#include "config/route_list.h"
#include "config/route_table.h"
#include "import/quote_line_buffer.h"
#include "platform/dialog.h"

class StatusDialog : public platform::Dialog {
public:
    static constexpr int kExportLogLines = 10;

    StatusDialog();
    ~StatusDialog() override;

    // Shows the rater code and builds the window's own settings record, route list and
    // route table, in that order.
    void Prepare(std::string raterCode);

    // The import: encodes the export file, writes "export.log", posts the quote and opens
    // the web product. 1 when the network part ran to its end, 0 when there was nothing to
    // import, the file could not be taken whole, an internet error ended it, or the server's
    // answer did not take the quote.
    int RunImport();

    std::string generatedFileName;
    std::unique_ptr<ImportSettings> settings;
    std::unique_ptr<RouteList> routeList;
    std::unique_ptr<RouteTable> routeTable;
    QuoteLineBuffer lineBuffer;
    std::string importId;
    std::string versionText = "...";
    std::string raterCode;
    std::string programName;
    std::string exportFilePath;
    std::string exportLogLines[kExportLogLines];

protected:
    void DoDataExchange(platform::DataExchange& dx) override;
    bool OnInitDialog() override;

private:
    // Sets the progress line and paints the window at once: the import blocks the only
    // thread, so the window never repaints by itself.
    void ShowStatus(const std::string& text);

    platform::Control raterLine_;
    platform::Control versionLabel_;
    platform::Control progressLine_;
    std::string raterLineText_;
};
