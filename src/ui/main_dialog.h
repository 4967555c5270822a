// The main window, shown when Vantrel starts without an export file (or with one while no
// rater is configured). From it the agent opens the Setup and Compatibility windows and
// the About box. It imports nothing itself: its Import button stays disabled.
#pragma once

#include <string>

#include "config/import_settings.h"
#include "platform/dialog.h"

class MainDialog : public platform::Dialog {
public:
    MainDialog();

    ImportSettings settings;
    std::string versionText = "none";
    std::string exportFilePath;

protected:
    void DoDataExchange(platform::DataExchange& dx) override;
    bool OnInitDialog() override;
    // The Import button's action: nothing enables the button, but the command still answers.
    void OnOK() override;
    bool OnCommand(int commandId) override;
    bool OnSysCommand(int commandId) override;

private:
    static void ShowAbout();

    platform::Control versionLabel_;
};
