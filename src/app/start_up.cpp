#include "app/start_up.h"

#include <memory>

#include "app/start_decision.h"
#include "config/import_settings.h"
#include "platform/dialog_look.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_file.h"
#include "support/tove_folder.h"
#include "ui/main_dialog.h"
#include "ui/status_dialog.h"

namespace {

void RunStatusWindow(const std::string& raterCode, const std::string& exportFilePath) {
    StatusDialog status(exportFilePath, raterCode, kVersionText);
    status.Create();
    status.Prepare();
    status.Show();
    status.RepaintNow();
    status.RunImport();
    status.Destroy();
}

void RunMainWindow(const std::string& exportFilePath) {
    MainDialog main;
    main.versionText = kVersionText;
    main.exportFilePath = exportFilePath;
    main.DoModal();
}

}  // namespace

void StartUp() {
    SetFailureReporter(platform::ShowMessage);
    const std::string programName = text::ToUpper(platform::AppName());
    const std::string programFolder = ProgramFolder(platform::ModulePath(), programName);
    platform::SetWorkingDirectory(programFolder);
    platform::SetDialogColours(200, 225, 225);

    RunLog log;
    auto settings = std::make_unique<ImportSettings>();
    log.AddLine("Executable Name = " + programName);
    if (!text::Contains(programName, "DAREDE")) platform::CreateFolder(kToveFolder);

    const StartDecision decision =
        DecideStart({programName, programFolder, platform::CommandLineArguments(), settings->raterCode});
    for (const std::string& line : decision.logLines) log.AddLine(line);
    for (const std::string& message : decision.messages) platform::ShowMessage(message);

    platform::RegisterCommonControls();
    log.AddLine(std::string("Version number = ") + kVersionText);

    const std::string exportFilePath = SwitchCut(decision.exportFilePath);
    // A file that is only in the fall-back folder is imported from there: the import must
    // read the file this check found, not post an empty quote.
    std::string importFilePath = exportFilePath;
    if (!exportFilePath.empty() && !FileExists(exportFilePath)) {
        importFilePath = std::string(kToveFolder) + "\\" + exportFilePath;
        if (!FileExists(importFilePath)) {
            platform::ShowMessage("The passed file " + exportFilePath + " could not be found!! Aborting...");
            return;
        }
    }
    log.Save();

    if (!decision.raterCode.empty()) {
        RunStatusWindow(decision.raterCode, importFilePath);
    } else {
        RunMainWindow(exportFilePath);
    }
}
