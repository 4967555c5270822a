// Dialog units of a dialog in the program under test, for the DLU rectangles of CONTROL records.
#pragma once

#include "sender.h"
#include "windows_api.h"

namespace ui_driver {

// The horizontal and vertical base units of `dlg` (the x and y of MapDialogRect's {0,0,4,8}),
// cached per window. Taken first from MapDialogRect run in the program under test (exactly what
// its dialog manager used); otherwise from the dialog font (WM_GETFONT; GetDialogBaseUnits when
// the dialog has none). False when neither works.
bool DialogBaseUnits(HWND dlg, Sender& sender, int& cx, int& cy);

// Inverse of the dialog manager's MulDiv(units, base, denominator) (denominator 4 across, 8
// down): the unit value nearest the plain quotient that maps back to `px`, or the quotient when
// none within 3 does. Exact for every value the dialog manager placed from a template.
int PixelsToUnits(int px, int base, int denominator);

}  // namespace ui_driver
