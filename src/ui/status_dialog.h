// The "Import Status" window: on screen while a rater's import runs, showing its progress.
// It is modeless, has no owner and never runs a message loop of its own: every change of a
// status line is painted at once. It owns the records the import reads, each loaded for
// itself.
#pragma once

#include <memory>
#include <string>

#include "config/import_settings.h"
#include "config/route_list.h"
#include "config/route_table.h"
#include "import/import_outcome.h"
#include "import/import_progress.h"
#include "platform/dialog.h"

class StatusDialog : public platform::Dialog, private ImportProgress {
public:
    StatusDialog(std::string exportFilePath, std::string raterCode, std::string versionText);
    ~StatusDialog() override;

    // Shows the rater code and loads the window's own settings record, route list and
    // route table, in that order. Called once the window exists.
    void Prepare();

    // The import (RunImport of import/run_import.h) on this window: its progress painted
    // here, its line added to the import history, then its messages shown, and the web
    // product opened when the server took the quote.
    ImportOutcome RunImport();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(platform::DataExchange& dx) override;

private:
    void ShowProgress(const std::string& text) override;
    void ShowVersion(const std::string& text) override;
    bool AskForPassword(platform::FormRequest& request) override;

    std::string exportFilePath_;
    std::string raterCode_;
    std::string versionText_;
    std::unique_ptr<ImportSettings> settings_;
    std::unique_ptr<RouteList> routeList_;
    std::unique_ptr<RouteTable> routeTable_;
    platform::Control raterLine_;
    platform::Control versionLabel_;
    platform::Control progressLine_;
};
