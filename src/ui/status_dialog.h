// The "Import Status" window: on screen while a rater's import runs, showing its progress
// and then what became of it. It is modeless, has no owner and never runs a message loop of
// its own: every change of a status line is painted at once. It owns nothing of the import:
// the settings and routes come with the request.
#pragma once

#include <string>

#include "import/import_outcome.h"
#include "import/import_progress.h"
#include "import/run_import.h"
#include "platform/dialog.h"

class StatusDialog : public platform::Dialog, private ImportProgress {
public:
    // The whole life of the window: opens it, runs the import on it (RunImport of
    // import/run_import.h, its progress painted here), shows the outcome's messages, opens
    // the web product when the server took the quote, and closes the window again.
    static ImportOutcome ShowImport(const ImportRequest& request);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(platform::DataExchange& dx) override;

private:
    StatusDialog(std::string exportFilePath, std::string raterCode);

    void ShowProgress(const std::string& text) override;
    void ShowVersion(const std::string& text) override;
    void ShowNotice(const std::string& text) override;
    bool AskForPassword(platform::FormRequest& request) override;

    std::string exportFilePath_;
    std::string raterCode_;
    platform::Control raterLine_;
    platform::Control versionLabel_;
    platform::Control progressLine_;
};
