#include "config/rater_choice.h"

namespace {
const char* const kCodes[kRaterChoices] = {"", "FSC", "ITC", "MC", "QQ", "AAR", "QUO", "CCI", "QP"};
}

const char* const kRaterListTexts[kRaterChoices] = {
    "-- SELECT RATER --", "FSC RATER", "ITC TURBO RATER", "MULTICO RATER", "QUICK QUOTE",
    "ACCUAUTO RATER",     "QUOMATION", "CCI RATER",       "QUOTE PRO",
};

int RaterPosition(const std::string& raterCode) {
    for (int position = 1; position < kRaterChoices; ++position) {
        if (raterCode == kCodes[position]) return position;
    }
    return 0;
}

std::string RaterCodeAt(int position) {
    return position >= 1 && position < kRaterChoices ? kCodes[position] : "AUTO";
}
