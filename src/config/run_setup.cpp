// Editing the settings record through the Setup window.
#include "config/import_settings.h"
#include "config/rater_choice.h"
#include "config/setup_dialog.h"
#include "platform/process.h"
#include "support/text.h"

int ImportSettings::RunSetup() {
    SetupDialog dialog;
    dialog.values = {company,
                     producerCode,
                     krnLaunchFile,
                     serverAddress,
                     serverPostFile,
                     qqPath,
                     vantrelFolder,
                     useItcZavezuda == "Y" ? 1 : 0,
                     RaterPosition(raterCode)};
    const int result = dialog.DoModal();
    if (result != SetupDialog::kSaved) return result;

    const SetupValues& saved = dialog.values;
    company = text::TrimRight(saved.company);
    serverPostFile = text::TrimRight(saved.serverPostFile);
    producerCode = text::TrimRight(saved.producerCode);
    krnLaunchFile = text::TrimRight(saved.krnLaunchFile);
    serverAddress = text::TrimRight(saved.serverAddress);
    qqPath = text::TrimRight(saved.qqPath);
    // The folder the program runs from, not what the read-only field showed.
    vantrelFolder = platform::WorkingDirectory();
    useItcZavezuda = saved.checkFlag == 1 ? "Y" : "N";
    raterCode = RaterCodeAt(saved.raterPosition);
    Save();
    // Without a QQ path the copy would land in the root of the current drive.
    if (!qqPath.empty()) {
        platform::CopyFileOver(vantrelFolder + "\\" + kSettingsFileName, qqPath + "\\" + kSettingsFileName);
    }
    return result;
}
