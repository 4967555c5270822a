// The program's fall-back folder on every machine. Start-up creates it; a QQ import of the
// DAREDE program finds its export file and its old route list there; and an export file
// not found where the rater said is looked for there too.
#pragma once

inline const char kToveFolder[] = "c:\\Program Files\\TOVE";
