#include "app/start_decision.h"

#include "support/number_time_text.h"
#include "support/text.h"
#include "support/tove_folder.h"

namespace {

const char kAutoDetectMessage[] = "Error - AUTO DETECT must be turned off in version 2.0";

// The CCI rater quotes its path and leaves the drive off: the program's own drive is used.
std::string DrivePrefix(const std::string& programFolder) {
    return programFolder.size() > 2 ? programFolder.substr(0, 2) : std::string("C:");
}

// The export-file path that the configured rater's rule gives, or false when the
// configured code names no rater.
bool ApplyRaterRule(const StartFacts& facts, const std::string& commandText, std::string& path) {
    const std::string& rater = facts.configuredRater;
    const std::string trimmed = text::TrimRight(commandText);
    if (rater == "FSC" || rater == "AAR" || rater == "QUO") {
        path = trimmed;
    } else if (rater == "ITC" || rater == "MC" || rater == "QP") {
        path = SwitchCut(trimmed);
    } else if (rater == "CCI") {
        path = trimmed;
        if (text::Contains(path, "/")) path = DrivePrefix(facts.programFolder) + text::RemoveChar(SwitchCut(path), '"');
    } else if (rater == "QQ") {
        const std::string base = text::Contains(facts.programName, "DAREDE") ? kToveFolder : facts.programFolder;
        path = base + "\\" + SwitchCut(trimmed);
    } else {
        return false;
    }
    return true;
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
        d.raterCode = "LOG";
        d.exportFilePath = text::TrimRight(d.commandText);
    }

    if (!d.commandText.empty()) {
        std::string path;
        if (!d.logFileMode && ApplyRaterRule(facts, d.commandText, path)) {
            d.raterCode = facts.configuredRater;
            d.exportFilePath = path;
            d.logLines.push_back("Comparative Rater FORCE = " + d.raterCode);
        } else {
            d.logLines.push_back("Comparative Rater = " + d.raterCode);
            d.messages.push_back(kAutoDetectMessage);
        }
    }

    if (d.pauseMode) {
        d.messages.push_back("Pausing... Copy file " + d.exportFilePath + " to a backup file before continuing.");
    }
    return d;
}
