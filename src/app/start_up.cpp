#include "app/start_up.h"

#include <memory>

#include "app/import_inputs.h"
#include "app/start_decision.h"
#include "config/import_settings.h"
#include "config/tove_folder.h"
#include "platform/clock.h"
#include "platform/dialog_look.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_file.h"
#include "ui/main_dialog.h"
#include "ui/status_dialog.h"

namespace {

void RunStatusWindow(const RunRater& rater, const std::string& exportFilePath) {
    ImportInputs inputs = ReadImportInputs(rater);
    StatusDialog::ShowImport(
        {kVersionText, rater, exportFilePath, *inputs.settings, *inputs.routes, platform::LocalTime});
}

void RunMainWindow(const std::string& exportFilePath) {
    MainDialog main;
    main.versionText = kVersionText;
    main.exportFilePath = exportFilePath;
    main.DoModal();
}

}  // namespace

void StartUp() {
    const std::string programName = text::ToUpper(platform::AppName());
    const std::string programFolder = ProgramFolder(platform::ModulePath(), programName);
    platform::SetWorkingDirectory(programFolder);
    platform::SetDialogColours(200, 225, 225);

    RunLog log;
    auto settings = std::make_unique<ImportSettings>();
    log.AddLine("Executable Name = " + programName);
    if (!IsToveProgram(programName)) platform::CreateFolder(kToveFolder);

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
        importFilePath = InToveFolder(exportFilePath);
        if (!FileExists(importFilePath)) {
            platform::ShowMessage("The passed file " + exportFilePath + " could not be found!! Aborting...");
            return;
        }
    }
    // Kept: a run log that cannot be written stops no start; the import or the main window
    // goes on, as it always has.
    static_cast<void>(log.Save(kRunLogFileName));

    if (!decision.rater.IsNobody()) {
        RunStatusWindow(decision.rater, importFilePath);
    } else {
        RunMainWindow(exportFilePath);
    }
}
