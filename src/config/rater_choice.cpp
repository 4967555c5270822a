#include "config/rater_choice.h"

#include "config/rater.h"

const char* const kRaterListTexts[kRaterChoices] = {
    "-- SELECT RATER --", kRaters[0].listText, kRaters[1].listText, kRaters[2].listText, kRaters[3].listText,
    kRaters[4].listText,  kRaters[5].listText, kRaters[6].listText, kRaters[7].listText,
};

int RaterPosition(const std::string& raterCode) {
    const Rater* rater = FindRater(raterCode);
    return rater ? static_cast<int>(rater - kRaters.data()) + 1 : 0;
}

std::string RaterCodeAt(int position) {
    return position >= 1 && position < kRaterChoices ? kRaters[position - 1].code : kNoRaterChosen;
}
