#include "config/rater.h"

const std::array<Rater, kRaterCount> kRaters = {{
    {"FSC", "FSC RATER", PathRule::kWhole, Encoding::kRecords},
    {"ITC", "ITC TURBO RATER", PathRule::kSwitchCut, Encoding::kLines},
    {"MC", "MULTICO RATER", PathRule::kSwitchCut, Encoding::kLines},
    {"QQ", "QUICK QUOTE", PathRule::kInProgramFolder, Encoding::kLines},
    {"AAR", "ACCUAUTO RATER", PathRule::kWhole, Encoding::kLines},
    {"QUO", "QUOMATION", PathRule::kWhole, Encoding::kLines},
    {"CCI", "CCI RATER", PathRule::kSwitchCutOnDrive, Encoding::kLines},
    {"QP", "QUOTE PRO", PathRule::kSwitchCut, Encoding::kLines},
}};

const Rater* FindRater(const std::string& code) {
    for (const Rater& rater : kRaters) {
        if (code == rater.code) return &rater;
    }
    return nullptr;
}

RunRater RunRater::LogFile() {
    return RunRater(Kind::kLogFile, nullptr);
}

RunRater RunRater::Of(const Rater& rater) {
    return RunRater(Kind::kRater, &rater);
}

bool RunRater::UsesProgramFolder() const {
    return rater_ != nullptr && rater_->pathRule == PathRule::kInProgramFolder;
}

std::string RunRater::Code() const {
    switch (kind_) {
        case Kind::kNobody:
            return "";
        case Kind::kLogFile:
            return "LOG";
        case Kind::kRater:
            break;
    }
    return rater_->code;
}

Encoding RunRater::GetEncoding() const {
    return rater_ != nullptr ? rater_->encoding : Encoding::kLines;
}
