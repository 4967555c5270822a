#include "import/status_dialog.h"

#include "resource.h"

StatusDialog::StatusDialog() : platform::Dialog(IDD_STATUS) {}

StatusDialog::~StatusDialog() {
    settings.reset();
}

void StatusDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Bind(IDC_STATUS_RATER, raterLine_);
    dx.Bind(IDC_VERSION, versionLabel_);
    dx.Bind(IDC_STATUS_PROGRESS, progressLine_);
    dx.Text(IDC_STATUS_PROGRESS, exportFilePath);
    dx.Text(IDC_STATUS_RATER, raterLineText_);
}

bool StatusDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    progressLine_.SetText("Importing file " + exportFilePath);
    versionLabel_.SetText(versionText);
    RepaintNow();
    return true;
}

void StatusDialog::Prepare(std::string code) {
    raterCode = std::move(code);
    raterLine_.SetText(raterCode);
    settings = std::make_unique<ImportSettings>();
}
