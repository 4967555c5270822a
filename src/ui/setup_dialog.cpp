#include "ui/setup_dialog.h"

#include "config/import_settings.h"
#include "config/rater_choice.h"
#include "config/setup_limits.h"
#include "platform/message_box.h"
#include "resource.h"

SetupDialog::SetupDialog() : platform::Dialog(IDD_SETUP) {}

void SetupDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(IDC_SETUP_COMPANY, values.company, setup_limits::kCompany, "Company");
    dx.Text(IDC_SETUP_PRODUCER_CODE, values.producerCode, setup_limits::kProducerCode, "Producer Code");
    dx.Text(IDC_SETUP_LAUNCH_FILE, values.krnLaunchFile, setup_limits::kKrnLaunchFile, "KRN Launch File");
    dx.Text(IDC_SETUP_SERVER_ADDRESS, values.serverAddress, setup_limits::kServerAddress, "Server Address");
    dx.Text(IDC_SETUP_POST_FILE, values.serverPostFile, setup_limits::kServerPostFile, "Server Post File");
    dx.Text(IDC_SETUP_QQ_PATH, values.qqPath);
    dx.Text(IDC_SETUP_FOLDER, values.vantrelFolder);
    dx.Check(IDC_SETUP_ITC, values.checkFlag);
    dx.Selection(IDC_SETUP_RATER, values.raterPosition);
}

bool SetupDialog::OnInitDialog() {
    // The rater list's entries belong to the window itself, so they are there before the
    // values are shown.
    for (const char* entry : kRaterListTexts) AddListEntry(IDC_SETUP_RATER, entry);
    return platform::Dialog::OnInitDialog();
}

void SetupDialog::OnOK() {}

bool SetupDialog::OnCommand(int commandId) {
    if (commandId != IDC_SETUP_SAVE) return false;
    Validate();
    return true;
}

void SetupDialog::Validate() {
    if (!UpdateData(true)) return;
    if (const auto problem = CheckSetup(values, programFolder)) {
        platform::ShowMessage(*problem);
        UpdateData(false);
        return;
    }
    if (!UpdateData(true)) return;
    if (!save(values)) {
        platform::ShowMessage(std::string("The settings could not be saved: ") + kSettingsFileName +
                              " could not be written. Another program may be holding it open, or the program "
                              "folder may be read-only. Please close that program and press Save again.");
        return;
    }
    EndDialog(kSaved);
}
