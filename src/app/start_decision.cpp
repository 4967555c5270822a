#include "app/start_decision.h"

#include "support/number_time_text.h"
#include "support/text.h"
#include "config/tove_folder.h"

namespace {

const char kAutoDetectMessage[] = "Error - AUTO DETECT must be turned off in version 2.0";

// The CCI rater quotes its path and leaves the drive off: the program's own drive is used.
std::string DrivePrefix(const std::string& programFolder) {
    return programFolder.size() > 2 ? programFolder.substr(0, 2) : std::string("C:");
}

// The export-file path by the rule of the configured rater.
std::string ApplyRaterRule(const Rater& rater, const StartFacts& facts, const std::string& commandText) {
    const std::string trimmed = text::TrimRight(commandText);
    switch (rater.pathRule) {
        case PathRule::kWhole:
            return trimmed;
        case PathRule::kSwitchCut:
            return SwitchCut(trimmed);
        case PathRule::kSwitchCutOnDrive:
            if (!text::Contains(trimmed, "/")) return trimmed;
            return DrivePrefix(facts.programFolder) + text::RemoveChar(SwitchCut(trimmed), '"');
        case PathRule::kInProgramFolder:
            break;
    }
    const std::string base = IsToveProgram(facts.programName) ? kToveFolder : facts.programFolder;
    return base + "\\" + SwitchCut(trimmed);
}

}  // namespace

std::string ProgramFolder(const std::string& modulePath, const std::string& programName) {
    return text::RemoveAll(text::ToUpper(modulePath), "\\" + programName + ".EXE");
}

std::string SwitchCut(const std::string& value) {
    const std::size_t slash = value.find('/');
    if (slash == std::string::npos) return text::TrimRight(value);
    return text::TrimRight(value.substr(0, slash == 0 ? 0 : slash - 1));
}

StartDecision DecideStart(const StartFacts& facts) {
    StartDecision d;
    d.commandText = text::ToUpper(text::TrimRight(facts.arguments));

    if (text::Contains(d.commandText, "PAUSE")) {
        d.pauseMode = true;
        d.commandText = text::RemoveAll(text::RemoveAll(d.commandText, "/PAUSE"), "PAUSE");
        d.logLines.push_back("PAUSE parameter = TRUE");
    }
    if (text::Contains(d.commandText, ".LOG")) {
        d.logFileMode = true;
        d.logLines.push_back("Export log passed = TRUE");
    }
    // Not trimmed again after these removals: a path keeps what stood before the switch.
    d.commandText = text::RemoveAll(d.commandText, " FL");
    d.logLines.push_back("Command line parameters = " + d.commandText);

    if (d.logFileMode) {
        const std::size_t tt = d.commandText.find(".TT");
        const int ttPosition = tt == std::string::npos ? -1 : static_cast<int>(tt);
        d.messages.push_back("You are passing a LOG file, Click OK to continue\n Cmd Line=" + d.commandText +
                             "\nExe Name=" + facts.programName + "\n .TT found=" + IntToText(ttPosition));
        d.rater = RunRater::LogFile();
        d.exportFilePath = text::TrimRight(d.commandText);
    }

    if (!d.commandText.empty()) {
        const Rater* configured = FindRater(facts.configuredRater);
        if (!d.logFileMode && configured) {
            d.rater = RunRater::Of(*configured);
            d.exportFilePath = ApplyRaterRule(*configured, facts, d.commandText);
            d.logLines.push_back("Comparative Rater FORCE = " + d.rater.Code());
        } else {
            d.logLines.push_back("Comparative Rater = " + d.rater.Code());
            d.messages.push_back(kAutoDetectMessage);
        }
    }

    if (d.pauseMode) {
        d.messages.push_back("Pausing... Copy file " + d.exportFilePath + " to a backup file before continuing.");
    }
    return d;
}
