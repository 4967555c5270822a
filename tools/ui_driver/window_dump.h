// The `dump` of a window (README.md, "Records"): a WINDOW record, then one CONTROL record per
// direct child in z-order (template order for a dialog), each followed by the ITEM records of a
// combo or list box or the CHECK record of a check box or radio button. Every message it needs
// is bounded (Sender), so a window whose UI thread is blocked costs about 1 s.
#pragma once

#include "windows_api.h"

namespace ui_driver {

void DumpWindow(HWND wnd);

}  // namespace ui_driver
