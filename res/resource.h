// Resource ids of Vantrel.exe. The end-to-end tests use the same ids, so they send the
// program's own commands.
#pragma once

// Dialog templates
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_STATUS 133
#define IDD_SETUP 134
#define IDD_COMPATIBILITY 137

// Other resources
#define IDS_ABOUTBOX 101
#define IDI_PROGRAM 128
#define IDR_MAINMENU 129

// Commands: the system-menu About item, and the main window's menu
#define IDM_ABOUTBOX 0x0010
#define ID_FILE_EXIT 32771
#define ID_SETUP_IMPORT 32772
#define ID_HELP_ABOUT 32773
#define ID_SETUP_COMPATIBILITY 32774

// Main window
#define IDC_MAIN_LIST 1000
#define IDC_MAIN_FILE 1003
#define IDC_VERSION 1007

// Import status window
#define IDC_STATUS_PROGRESS 1004
#define IDC_STATUS_RATER 1005

// Setup window
#define IDC_SETUP_SAVE 1005
#define IDC_SETUP_PRODUCER_CODE 1006
#define IDC_SETUP_SERVER_ADDRESS 1007
#define IDC_SETUP_POST_FILE 1008
#define IDC_SETUP_LAUNCH_FILE 1009
#define IDC_SETUP_COMPANY 1010
#define IDC_SETUP_QQ_PATH 1011
#define IDC_SETUP_FOLDER 1012
#define IDC_SETUP_ITC 1015
#define IDC_SETUP_RATER 1016

// Compatibility window
#define IDC_COMPATIBILITY_LIST 1009

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
