// The checks the Setup window makes when the agent presses Save, one problem per press.
#pragma once

#include <optional>
#include <string>

// What the Setup window shows and edits.
struct SetupValues {
    std::string company;
    std::string producerCode;  // hidden edit
    std::string krnLaunchFile;
    std::string serverAddress;  // hidden edit
    std::string serverPostFile;
    std::string qqPath;
    std::string vantrelFolder;  // read-only
    int checkFlag = 0;          // "Use ITC Zavezuda": 0 cleared, 1 ticked
    int raterPosition = -1;     // entry of the rater list, -1 for none
};

// The first problem found, in a fixed order, with the correction made where one exists
// (a leading "/" removed, "http://" put in front, a trailing "/" removed); nothing when the
// values can be saved. The corrections are partial on purpose: a second "/" is found at
// the next press.
//
// A ";", carriage return or line feed is refused in every text that goes to the settings
// file, since the file could not hold it: each would shift every later value. That includes
// `programFolder`, the folder the save writes as the program's own.
std::optional<std::string> CheckSetup(SetupValues& values, const std::string& programFolder);
