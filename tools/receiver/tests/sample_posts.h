// Quote posts as Vantrel sends them, for the tests.
#pragma once

#include <string>

namespace receiver {

inline const std::string kFormType = "application/x-www-form-urlencoded";

// The record encoding of a five-line FSC export (SMITH JOHN / a FORD / DOE JR ... / "3","","Y").
inline const std::string kFscBody =
    "source=Vantrel20&xversion=2.101020&rater=FSC&externalQuoteImportID=202612720565&fileGenName=202612720565.sti"
    "&R0=1,1,1,SMITH&R1=1,1,2,JOHN&R2=2,1,1,2001&R3=2,1,2,FORD&R4=2,1,3,F-150%20(4X4|%20XLT)&R5=1,2,1,DOE%20JR"
    "&R6=1,2,2,(555)%20123-4567|&R7=1,2,3,ONEIL%202&R8=3,1,1,&R9=3,1,2,Y";

}  // namespace receiver
