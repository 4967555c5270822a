// Resource ids of Vantrel.exe. The UI driver used by the end-to-end tests includes this
// file too, so tests send the program's own ids.
#pragma once

// Dialog templates
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_STATUS 133

// Main window
#define IDC_MAIN_LIST 1000
#define IDC_MAIN_FILE 1003
#define IDC_VERSION 1007

// Import status window
#define IDC_STATUS_PROGRESS 1004
#define IDC_STATUS_RATER 1005

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
