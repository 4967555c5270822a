#include "ui/status_dialog.h"

#include "import/hand_off.h"
#include "import/import_history.h"
#include "import/run_import.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "resource.h"

namespace {

// The version label's text until the post starts.
const char kVersionNotYetShown[] = "...";

}  // namespace

StatusDialog::StatusDialog(std::string exportFilePath, std::string raterCode, std::string versionText)
    : platform::Dialog(IDD_STATUS),
      exportFilePath_(std::move(exportFilePath)),
      raterCode_(std::move(raterCode)),
      versionText_(std::move(versionText)) {}

StatusDialog::~StatusDialog() {
    // The order in which Prepare built them.
    settings_.reset();
    routeList_.reset();
    routeTable_.reset();
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

void StatusDialog::Prepare() {
    raterLine_.SetText(raterCode_);
    settings_ = std::make_unique<ImportSettings>();
    // Nothing consults this list; "Route.dat" is read because imports always have read it
    // before the post. Where the file is missing that costs the reader's five seconds of
    // retries, and dropping the read would change the import's timing as agents know it.
    // It gets no program name, as it never has, so it never turns to the fall-back folder.
    routeList_ = std::make_unique<RouteList>(raterCode_, std::string());
    routeTable_ = std::make_unique<RouteTable>();
}

ImportOutcome StatusDialog::RunImport() {
    const ImportOutcome outcome =
        ::RunImport({versionText_, raterCode_, exportFilePath_, *settings_, *routeTable_, platform::LocalTime}, *this);
    if (outcome.result != ImportOutcome::Result::kNothingToImport) {
        // Support's record goes first, before a message box or the hand-off's wait can hold
        // the import up or the agent end it. One that cannot be written changes nothing the
        // agent sees or waits for: the import's own result stands as it is.
        AppendImportHistory(
            ImportHistoryLine(platform::LocalTimeWithOffset(), raterCode_, settings_->productName, outcome));
    }
    for (const std::string& message : outcome.Messages()) platform::ShowMessage(message);
    if (outcome.result == ImportOutcome::Result::kTaken) OpenWebProduct(outcome.handOff);
    return outcome;
}

void StatusDialog::ShowProgress(const std::string& text) {
    progressLine_.SetText(text);
    RepaintNow();
}

void StatusDialog::ShowVersion(const std::string& text) {
    versionLabel_.SetText(text);
    RepaintNow();
}

bool StatusDialog::AskForPassword(platform::FormRequest& request) {
    return request.AskForPassword(*this);
}
