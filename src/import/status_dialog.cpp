#include "import/status_dialog.h"

#include "resource.h"

StatusDialog::StatusDialog() : platform::Dialog(IDD_STATUS) {}

StatusDialog::~StatusDialog() {
    // The order in which Prepare built them, each marked absent once gone.
    settings.reset();
    routeList.reset();
    routeTable.reset();
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
    // The program name is stored only after Prepare, so the list gets it empty, as it
    // always has; nothing consults the list during an import.
    routeList = std::make_unique<RouteList>(raterCode, programName);
    routeTable = std::make_unique<RouteTable>();
}

void StatusDialog::ShowStatus(const std::string& text) {
    progressLine_.SetText(text);
    RepaintNow();
}
