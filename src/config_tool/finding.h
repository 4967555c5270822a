// What the configuration tool finds wrong with a settings or route file, one finding each,
// named by the line or value it is about.
#pragma once

#include <string>
#include <vector>

struct Finding {
    enum class Kind {
        kProblem,  // the file would not work as meant: the check fails
        kWarning,  // the program copes, but someone meant something it will never do
    };
    enum class Place {
        kLine,   // a line of the file as it stands
        kValue,  // a value as the program reads it
        kFile,   // the file as a whole
    };
    Kind kind = Kind::kProblem;
    Place place = Place::kFile;
    int number = 0;  // the line or value number, from 1
    std::string text;
};

using Findings = std::vector<Finding>;

Finding Problem(Finding::Place place, int number, std::string text);
Finding Warning(Finding::Place place, int number, std::string text);

bool HasProblems(const Findings& findings);

// "Vantrel.dat value 9: ..." or "PRoute.dat: ..., warning" as the tool prints it.
std::string Describe(const std::string& fileName, const Finding& finding);
