// The checks the Setup window makes when the agent presses Save, one problem per press.
// The rules behind them are named one by one, so that the configuration tool holds the files
// it writes and checks to exactly these.
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

// A ";", carriage return or line feed: the settings file could not hold it, since each would
// shift every later value.
bool BreaksTheSettingsFile(const std::string& value);

// The post file and the launch file are paths on the server without their leading "/".
bool BeginsWithSlash(const std::string& path);

// Kept: for the settings files this window has always written, "http://" is looked for
// anywhere in the text, so "https://host" does not pass and is saved as "http://https://host".
bool LacksHttp(const std::string& serverAddress);
bool EndsWithSlash(const std::string& serverAddress);

// The first problem found, in a fixed order, with the correction made where one exists
// (a leading "/" removed, "http://" put in front, a trailing "/" removed); nothing when the
// values can be saved. The corrections are partial on purpose: a second "/" is found at
// the next press.
//
// A ";", carriage return or line feed is refused in every text that goes to the settings
// file. That includes `programFolder`, the folder the save writes as the program's own.
[[nodiscard]] std::optional<std::string> CheckSetup(SetupValues& values, const std::string& programFolder);
