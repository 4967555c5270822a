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
    dialog.programFolder = platform::WorkingDirectory();
    dialog.save = [this, &dialog](const SetupValues& saved) { return SaveFromSetup(saved, dialog.programFolder); };
    const int result = dialog.DoModal();
    // Without a QQ path the copy would land in the root of the current drive.
    if (result == SetupDialog::kSaved && !qqPath.empty()) {
        platform::CopyFileOver(vantrelFolder + "\\" + kSettingsFileName, qqPath + "\\" + kSettingsFileName);
    }
    return result;
}

bool ImportSettings::SaveFromSetup(const SetupValues& saved, const std::string& programFolder) {
    // The record takes the values only once they are on disk: a save that could not be
    // written leaves it as the file still has it.
    ImportSettings updated(*this);
    updated.company = text::TrimRight(saved.company);
    updated.serverPostFile = text::TrimRight(saved.serverPostFile);
    updated.producerCode = text::TrimRight(saved.producerCode);
    updated.krnLaunchFile = text::TrimRight(saved.krnLaunchFile);
    updated.serverAddress = text::TrimRight(saved.serverAddress);
    updated.qqPath = text::TrimRight(saved.qqPath);
    // The folder the program runs from, not what the read-only field showed.
    updated.vantrelFolder = programFolder;
    updated.useItcZavezuda = saved.checkFlag == 1 ? "Y" : "N";
    updated.raterCode = RaterCodeAt(saved.raterPosition);
    if (!updated.Save()) return false;
    *this = updated;
    return true;
}
