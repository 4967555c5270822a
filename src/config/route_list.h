// The route list: the rows of the old route file "Route.dat", split into columns for showing.
// The file no longer decides where a quote goes (the route table does); the Compatibility
// window lists these rows, and the import reads them without consulting them afterwards.
//
// 100 slots, numbered 1 to 100 (element 0 exists only so that slot n is element n; it stays
// empty). Value n of the file lands in slot n; values past 100 are ignored.
#pragma once

#include <string>

#include "config/rater.h"

// The columns of one slot, taken as they stand: nothing is trimmed.
struct RouteListRow {
    std::string company;      // positions 0-19
    std::string raterCode;    // 20-24
    std::string state;        // 25-29
    std::string productName;  // 30-89
    std::string remainder;    // 90 to the end: server address and browser path
};

class RouteList {
public:
    static constexpr int kSlots = 100;

    // Empty slots, nothing read: the Compatibility window calls Load itself.
    RouteList() = default;
    // Keeps the run's rater and program name, then loads.
    RouteList(RunRater rater, std::string programName);

    // Empties every slot, reads the route file and splits its rows. The file is not tested
    // for existence first, so a missing file costs the reader's full retry time (about five
    // seconds) and leaves the list empty.
    void Load();

    // "c:\Program Files\TOVE\Route.dat" for a QQ run of the TOVE program; "Route.dat" in
    // the working directory otherwise.
    std::string RouteFilePath() const;

    const std::string& RawRow(int slot) const { return rawRows_[slot]; }
    const RouteListRow& Row(int slot) const { return rows_[slot]; }

private:
    RunRater rater_;
    std::string programName_;
    std::string rawRows_[kSlots + 1];
    RouteListRow rows_[kSlots + 1];
};
