// The program's version, written here once. The text is what both windows show, the run
// log records and every import sends; the four numbers are the same version in the form
// Windows wants in the file properties (2.101020 is 2.10.10.20). Read by the code, by
// Vantrel.rc and by the installer script, so it is plain preprocessor defines.
#pragma once

#define VANTREL_VERSION_TEXT "2.101020"
#define VANTREL_VERSION_1 2
#define VANTREL_VERSION_2 10
#define VANTREL_VERSION_3 10
#define VANTREL_VERSION_4 20
