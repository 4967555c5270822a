// The comparative raters Vantrel knows, in one table, and the rater a run imports for.
//
// A rater's code is the text it is stored under in "Vantrel.dat", sent as the form's
// `rater` field and written in the logs; those bytes never change. A run imports for one of
// the eight raters, for the log-file import (".LOG" on the command line, code "LOG"), or for
// nobody, when the main window opens instead.
#pragma once

#include <array>
#include <string>

// How a rater's command line becomes the path of its export file.
enum class PathRule {
    kWhole,             // the command text as it is (FSC, AAR, QUO)
    kSwitchCut,         // a trailing "/switch" dropped (ITC, MC, QP)
    kSwitchCutOnDrive,  // the switch and the quotes dropped, the program's drive put in front (CCI)
    kInProgramFolder,   // a file in the program folder, the switch dropped (QQ)
};

// How a rater's export file becomes the form's fields.
enum class Encoding {
    kRecords,  // quoted, comma-separated records (FSC)
    kLines,    // each line whole (every other rater, and a log file)
};

struct Rater {
    const char* code;      // in the settings, on the wire and in the logs
    const char* listText;  // the Setup window's rater list
    PathRule pathRule;
    Encoding encoding;
};

constexpr int kRaterCount = 8;

// What a Setup save stores when no rater is chosen; start-up refuses to import for it.
inline const char kNoRaterChosen[] = "AUTO";

// In the order of the Setup window's list, after its "-- SELECT RATER --".
extern const std::array<Rater, kRaterCount> kRaters;

// The rater of exactly this code (case matters), or nothing: "AUTO", an empty text and
// anything else name no rater.
const Rater* FindRater(const std::string& code);

// The rater a run imports for.
class RunRater {
public:
    // Nobody: the main window opens and nothing is imported.
    RunRater() = default;
    static RunRater LogFile();
    static RunRater Of(const Rater& rater);

    bool IsNobody() const { return kind_ == Kind::kNobody; }
    bool IsLogFile() const { return kind_ == Kind::kLogFile; }
    // A rater whose export file and old route list live in the program's own folder, which
    // for the TOVE program is the fall-back folder (tove_folder.h).
    bool UsesProgramFolder() const;
    // "" for nobody, "LOG" for a log file, else the rater's code.
    std::string Code() const;
    Encoding GetEncoding() const;

private:
    enum class Kind { kNobody, kLogFile, kRater };
    RunRater(Kind kind, const Rater* rater) : kind_(kind), rater_(rater) {}

    Kind kind_ = Kind::kNobody;
    const Rater* rater_ = nullptr;
};
