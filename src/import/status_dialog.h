// The "Import Status" window: on screen while a command-line import runs, and the holder
// of everything one import needs. It is modeless, has no owner and never runs a message
// loop of its own: every change of a status line is painted at once.
#pragma once

#include <memory>
#include <string>

#include "config/import_settings.h"
#include "platform/dialog.h"

class StatusDialog : public platform::Dialog {
public:
    static constexpr int kExportLogLines = 10;

    StatusDialog();
    ~StatusDialog() override;

    // Shows the rater code and builds the window's own settings record.
    void Prepare(std::string raterCode);

    std::string generatedFileName;
    std::unique_ptr<ImportSettings> settings;
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
    platform::Control raterLine_;
    platform::Control versionLabel_;
    platform::Control progressLine_;
    std::string raterLineText_;
};
