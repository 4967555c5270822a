// The command-line reading on any command text, program name, program path and configured
// rater. What must hold:
//  - pause mode is on exactly when the upper-cased text holds "PAUSE", and then the switch
//    leaves no "PAUSE" in the command text, except where taking a piece out joined the text
//    on both sides of it into a new one ("PAUSPAUSEE", "PAU FLSE": every piece is taken out
//    in one left-to-right pass); the last message is the pause message;
//  - the command text is upper case, and the log names it once;
//  - the export path after the switch cut never ends in white space, holds no "/", and a
//    second cut changes nothing;
//  - a known rater code, given a command text that is not a log file, logs
//    "Comparative Rater FORCE = " and the code, and its rule gives the path; any other
//    start logs no such line.
//
// Input: first byte picks the configured rater (one of the codes, or the fourth part as
// given); the rest is split at zero bytes into the arguments, the program name, the
// program's full path and the fourth part.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/start_decision.h"
#include "fuzz_support.h"
#include "support/text.h"
#include "config/tove_folder.h"

namespace {

const char* const kConfiguredRaters[] = {"FSC", "AAR", "QUO", "ITC", "MC", "QP", "CCI", "QQ", "AUTO", ""};
constexpr std::size_t kConfiguredRaterCount = sizeof kConfiguredRaters / sizeof kConfiguredRaters[0];

bool IsKnownRater(const std::string& code) {
    for (const char* known : {"FSC", "AAR", "QUO", "ITC", "MC", "QP", "CCI", "QQ"}) {
        if (code == known) return true;
    }
    return false;
}

bool EndsInWhiteSpace(const std::string& value) {
    return !value.empty() && text::IsWhiteSpace(value.back());
}

bool StartsWith(const std::string& value, const std::string& start) {
    return value.compare(0, start.size(), start) == 0;
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
    int count = 0;
    for (const std::string& l : lines) count += l == line;
    return count;
}

int CountStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    int count = 0;
    for (const std::string& l : lines) count += StartsWith(l, start);
    return count;
}

// A text with, for every byte, whether a piece was taken out right before it.
struct Joined {
    std::string text;
    std::vector<bool> joinBefore;
};

// Takes every `piece` out of `value` in one left-to-right pass, marking the joins.
Joined TakeOut(const Joined& value, const std::string& piece) {
    Joined result;
    bool join = false;
    for (std::size_t i = 0; i < value.text.size();) {
        if (value.text.compare(i, piece.size(), piece) == 0) {
            for (std::size_t k = i; k < i + piece.size(); ++k) join = join || value.joinBefore[k];
            join = true;
            i += piece.size();
            continue;
        }
        result.text += value.text[i];
        result.joinBefore.push_back(join || value.joinBefore[i]);
        join = false;
        ++i;
    }
    return result;
}

// The pause switch and " FL" taken out of the upper-cased, trimmed arguments; every
// "PAUSE" left must span a join.
void CheckPauseRemoval(const std::string& upper, const std::string& commandText) {
    Joined value{upper, std::vector<bool>(upper.size(), false)};
    for (const char* piece : {"/PAUSE", "PAUSE", " FL"}) value = TakeOut(value, piece);
    FUZZ_CHECK(value.text == commandText);
    for (std::size_t at = commandText.find("PAUSE"); at != std::string::npos; at = commandText.find("PAUSE", at + 1)) {
        bool spansJoin = false;
        for (std::size_t k = at + 1; k < at + 5; ++k) spansJoin = spansJoin || value.joinBefore[k];
        FUZZ_CHECK(spansJoin);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<std::string> parts(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0 && parts.size() < 4) {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(data[i]);
        }
    }
    parts.resize(4);

    StartFacts facts;
    facts.arguments = parts[0];
    facts.programName = text::ToUpper(parts[1]);
    facts.programFolder = ProgramFolder(parts[2], facts.programName);
    facts.configuredRater =
        data[0] < 2 * kConfiguredRaterCount ? kConfiguredRaters[data[0] % kConfiguredRaterCount] : parts[3];

    FUZZ_CHECK(facts.programFolder.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos);

    const StartDecision d = DecideStart(facts);
    const std::string upper = text::ToUpper(text::TrimRight(facts.arguments));

    FUZZ_CHECK(d.commandText.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos);
    FUZZ_CHECK(Count(d.logLines, "Command line parameters = " + d.commandText) == 1);

    FUZZ_CHECK(d.pauseMode == text::Contains(upper, "PAUSE"));
    FUZZ_CHECK(d.pauseMode == (Count(d.logLines, "PAUSE parameter = TRUE") == 1));
    if (d.pauseMode) {
        CheckPauseRemoval(upper, d.commandText);
        FUZZ_CHECK(!d.messages.empty() && d.messages.back() == "Pausing... Copy file " + d.exportFilePath +
                                                                   " to a backup file before continuing.");
    }
    if (d.logFileMode) FUZZ_CHECK(d.rater.Code() == "LOG");

    const std::string cut = SwitchCut(d.exportFilePath);
    FUZZ_CHECK(!EndsInWhiteSpace(cut));
    FUZZ_CHECK(cut.find('/') == std::string::npos);
    FUZZ_CHECK(SwitchCut(cut) == cut);

    const bool forced = IsKnownRater(facts.configuredRater) && !d.commandText.empty() && !d.logFileMode;
    FUZZ_CHECK(CountStartingWith(d.logLines, "Comparative Rater FORCE = ") == (forced ? 1 : 0));
    if (forced) {
        const std::string& rater = facts.configuredRater;
        FUZZ_CHECK(Count(d.logLines, "Comparative Rater FORCE = " + rater) == 1);
        FUZZ_CHECK(d.rater.Code() == rater);
        const std::string trimmed = text::TrimRight(d.commandText);
        if (rater == "FSC" || rater == "AAR" || rater == "QUO") FUZZ_CHECK(d.exportFilePath == trimmed);
        if (rater == "ITC" || rater == "MC" || rater == "QP") FUZZ_CHECK(d.exportFilePath == SwitchCut(trimmed));
        if (rater == "QQ") {
            const std::string base =
                text::Contains(facts.programName, "DAREDE") ? std::string(kToveFolder) : facts.programFolder;
            FUZZ_CHECK(d.exportFilePath == base + "\\" + SwitchCut(trimmed));
        }
        if (rater == "CCI" && !text::Contains(trimmed, "/")) FUZZ_CHECK(d.exportFilePath == trimmed);
        if (rater == "CCI" && text::Contains(trimmed, "/")) {
            // The program's drive, then the cut path without its quotes.
            const std::string drive = facts.programFolder.size() > 2 ? facts.programFolder.substr(0, 2) : "C:";
            FUZZ_CHECK(StartsWith(d.exportFilePath, drive));
            FUZZ_CHECK(d.exportFilePath.find_first_of("\"/", 2) == std::string::npos);
        }
    } else {
        FUZZ_CHECK(d.rater.Code() == (d.logFileMode ? "LOG" : ""));
        if (!d.commandText.empty()) FUZZ_CHECK(Count(d.logLines, "Comparative Rater = " + d.rater.Code()) == 1);
    }
    if (d.commandText.empty()) FUZZ_CHECK(d.rater.Code().empty() && d.exportFilePath.empty());
    return 0;
}
