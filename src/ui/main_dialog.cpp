#include "ui/main_dialog.h"

#include "ui/compatibility_dialog.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "resource.h"
#include "ui/about_dialog.h"
#include "ui/run_setup.h"

MainDialog::MainDialog() : platform::Dialog(IDD_MAIN) {}

void MainDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Bind(IDC_VERSION, versionLabel_);
    dx.Text(IDC_MAIN_FILE, exportFilePath);
}

bool MainDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    const std::string aboutItem = platform::ResourceString(IDS_ABOUTBOX);
    if (!aboutItem.empty()) AppendSystemMenuCommand(IDM_ABOUTBOX, aboutItem);
    SetProgramIcon(IDI_PROGRAM);
    versionLabel_.SetText(versionText);
    return true;
}

void MainDialog::OnOK() {
    platform::ShowMessage("Importing");
    platform::Dialog::OnOK();
}

bool MainDialog::OnCommand(int commandId) {
    switch (commandId) {
        case ID_FILE_EXIT:
            OnCancel();
            return true;
        case ID_SETUP_IMPORT:
            RunSetup(settings);
            return true;
        case ID_SETUP_COMPATIBILITY: {
            CompatibilityDialog compatibility;
            compatibility.DoModal();
            return true;
        }
        case ID_HELP_ABOUT:
            ShowAbout();
            return true;
    }
    return false;
}

bool MainDialog::OnSysCommand(int commandId) {
    // The system keeps the lowest four bits of a system-menu command for itself.
    if ((commandId & 0xFFF0) != IDM_ABOUTBOX) return false;
    ShowAbout();
    return true;
}

void MainDialog::ShowAbout() {
    AboutDialog about;
    about.DoModal();
}
