#include "ui/run_setup.h"

#include "config/rater_choice.h"
#include "platform/process.h"
#include "support/text.h"
#include "ui/setup_dialog.h"

namespace {

// The Setup window's save: the record takes the values only once they are on disk, so a save
// that could not be written leaves it as the file still has it.
bool SaveFromSetup(ImportSettings& settings, const SetupValues& saved, const std::string& programFolder) {
    ImportSettings updated(settings);
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
    settings = updated;
    return true;
}

}  // namespace

int RunSetup(ImportSettings& settings) {
    SetupDialog dialog;
    dialog.values = {settings.company,
                     settings.producerCode,
                     settings.krnLaunchFile,
                     settings.serverAddress,
                     settings.serverPostFile,
                     settings.qqPath,
                     settings.vantrelFolder,
                     settings.useItcZavezuda == "Y" ? 1 : 0,
                     RaterPosition(settings.raterCode)};
    dialog.programFolder = platform::WorkingDirectory();
    dialog.save = [&settings, &dialog](const SetupValues& saved) {
        return SaveFromSetup(settings, saved, dialog.programFolder);
    };
    const int result = dialog.DoModal();
    // Without a QQ path the copy would land in the root of the current drive.
    if (result == SetupDialog::kSaved && !settings.qqPath.empty()) {
        platform::CopyFileOver(settings.vantrelFolder + "\\" + kSettingsFileName,
                               settings.qqPath + "\\" + kSettingsFileName);
    }
    return result;
}
