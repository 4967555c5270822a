// <windows.h> as every Win32 file of the driver includes it: the Windows 7 API level (the
// oldest the driver supports, and the one its structure sizes are built for), without the
// rarely used parts and without the min/max macros that break <algorithm>.
#pragma once

#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0601
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
