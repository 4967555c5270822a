// Text as the driver reads and writes it: window text is UTF-16, script and record text are
// bytes in one code page (the ANSI code page, or UTF-8 with --utf8).
#pragma once

#include <string>

#include "windows_api.h"

namespace ui_driver {

// CP_ACP, or CP_UTF8 with --utf8.
extern UINT g_codePage;

// UTF-16 to the code page; empty when it cannot be converted.
std::string Narrow(const std::wstring& w);

// The code page to UTF-16; empty when it cannot be converted.
std::wstring Widen(const std::string& s);

// "0x%08X", as styles are recorded.
std::string Hex32(DWORD v);

// Signed decimal.
std::string Int(long long v);

// The whole file as bytes (any other process may have it open). False when it cannot be read
// or is larger than 16 MiB.
bool ReadWholeFile(const std::string& path, std::string& data);

}  // namespace ui_driver
