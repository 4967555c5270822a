// How a start reads its command line: the switches, the rater rule that turns the command
// text into the export-file path, and the run-log lines and messages that go with them.
// Pure logic: the start-up routine shows the messages and writes the log.
#pragma once

#include <string>
#include <vector>

#include "config/rater.h"

struct StartFacts {
    std::string programName;      // upper-cased program file name without extension
    std::string programFolder;    // upper-cased folder of the running executable
    std::string arguments;        // the command line's argument part, as given
    std::string configuredRater;  // raterCode from the settings
};

struct StartDecision {
    std::string commandText;
    bool pauseMode = false;
    bool logFileMode = false;
    RunRater rater;                     // nobody: the main window opens
    std::string exportFilePath;         // as the pause message shows it, before the switch cut
    std::vector<std::string> logLines;  // run-log lines after "Executable Name = "
    std::vector<std::string> messages;  // shown one after the other, in this order
};

// The program folder: the executable's full path upper-cased, with every "\" + program
// name + ".EXE" removed.
std::string ProgramFolder(const std::string& modulePath, const std::string& programName);

// The switch cut: everything from the character before the first "/" on is dropped, then
// trailing white space. A text without "/" only loses its trailing white space.
std::string SwitchCut(const std::string& value);

// Reads the command line: switches, the rater rule of the configured rater, the log lines
// and the messages.
[[nodiscard]] StartDecision DecideStart(const StartFacts& facts);
