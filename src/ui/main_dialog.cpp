#include "ui/main_dialog.h"

#include "platform/message_box.h"
#include "resource.h"

MainDialog::MainDialog() : platform::Dialog(IDD_MAIN) {}

void MainDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Bind(IDC_VERSION, versionLabel_);
    dx.Bind(platform::kIdOk, importButton_);
    dx.Bind(platform::kIdCancel, exitButton_);
    dx.Bind(IDC_MAIN_LIST, listView_);
    dx.Text(IDC_MAIN_FILE, exportFilePath);
}

bool MainDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    versionLabel_.SetText(versionText);
    return true;
}

void MainDialog::OnOK() {
    platform::ShowMessage("Importing");
    platform::Dialog::OnOK();
}
