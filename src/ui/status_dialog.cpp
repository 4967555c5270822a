#include "ui/status_dialog.h"

#include "import/hand_off.h"
#include "platform/message_box.h"
#include "resource.h"

namespace {

// The version label's text until the post starts.
const char kVersionNotYetShown[] = "...";

}  // namespace

StatusDialog::StatusDialog(std::string exportFilePath, std::string raterCode)
    : platform::Dialog(IDD_STATUS), exportFilePath_(std::move(exportFilePath)), raterCode_(std::move(raterCode)) {}

ImportOutcome StatusDialog::ShowImport(const ImportRequest& request) {
    StatusDialog window(request.exportFilePath, request.rater.Code());
    // Kept: a window that cannot be made leaves the import to run unseen, as it always has;
    // the rater waits for the import, not for the window.
    static_cast<void>(window.Create());
    window.raterLine_.SetText(window.raterCode_);
    window.Show();
    window.RepaintNow();
    const ImportOutcome outcome = RunImport(request, window);
    for (const std::string& message : outcome.Messages()) platform::ShowMessage(message);
    if (outcome.result == ImportOutcome::Result::kTaken && !OpenWebProduct(outcome.handOff)) {
        platform::ShowMessage("ERROR-Unable to display web page.");
    }
    window.Destroy();
    return outcome;
}

void StatusDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Bind(IDC_STATUS_RATER, raterLine_);
    dx.Bind(IDC_VERSION, versionLabel_);
    dx.Bind(IDC_STATUS_PROGRESS, progressLine_);
}

bool StatusDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    progressLine_.SetText("Importing file " + exportFilePath_);
    versionLabel_.SetText(kVersionNotYetShown);
    RepaintNow();
    return true;
}

void StatusDialog::ShowProgress(const std::string& text) {
    progressLine_.SetText(text);
    RepaintNow();
}

void StatusDialog::ShowVersion(const std::string& text) {
    versionLabel_.SetText(text);
    RepaintNow();
}

void StatusDialog::ShowNotice(const std::string& text) {
    platform::ShowMessage(text);
}

bool StatusDialog::AskForPassword(platform::FormRequest& request) {
    return request.AskForPassword(*this);
}
