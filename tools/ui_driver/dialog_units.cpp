#include "dialog_units.h"

#include <map>
#include <utility>

#include "remote_caller.h"
#include "run_clock.h"

namespace ui_driver {

namespace {

std::map<HWND, std::pair<int, int>> g_baseUnits;

// The dialog manager's method: average width of A-Z and a-z, and the text-metric height.
bool FontBaseUnits(HFONT font, int& cx, int& cy) {
    LOGFONTW lf;
    if (GetObjectW(font, sizeof lf, &lf) != sizeof lf) return false;
    HFONT mine = CreateFontIndirectW(&lf);
    if (!mine) return false;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mine);
    TEXTMETRICW tm;
    SIZE sz;
    const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    bool ok = GetTextMetricsW(dc, &tm) && GetTextExtentPoint32W(dc, letters, 52, &sz);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(mine);
    if (!ok) return false;
    cx = (sz.cx / 26 + 1) / 2;
    cy = tm.tmHeight;
    return cx > 0 && cy > 0;
}

}  // namespace

bool DialogBaseUnits(HWND dlg, Sender& sender, int& cx, int& cy) {
    auto it = g_baseUnits.find(dlg);
    if (it != g_baseUnits.end()) {
        cx = it->second.first;
        cy = it->second.second;
        return true;
    }
    bool ok = false;
    RemoteBlock& b = FreshBlock(kOpBaseUnits, dlg);
    if (g_remote.Run(b) && b.status == kStOk && b.rect.right > 0 && b.rect.bottom > 0) {
        cx = b.rect.right;
        cy = b.rect.bottom;
        ok = true;
        Verbose("base units %d,%d from MapDialogRect in the program under test", cx, cy);
    }
    if (!ok) {
        DWORD_PTR font = 0;
        if (sender.Send(dlg, WM_GETFONT, 0, 0, &font)) {
            if (!font) {
                LONG units = GetDialogBaseUnits();
                cx = LOWORD(units);
                cy = HIWORD(units);
                ok = cx > 0 && cy > 0;
            } else {
                ok = FontBaseUnits(reinterpret_cast<HFONT>(font), cx, cy);
            }
            if (ok) Verbose("base units %d,%d from the dialog font", cx, cy);
        }
    }
    if (ok) g_baseUnits[dlg] = std::make_pair(cx, cy);
    return ok;
}

int PixelsToUnits(int px, int base, int denominator) {
    int guess = MulDiv(px, denominator, base);
    int best = guess;
    int bestDistance = 1 << 30;
    for (int d = guess - 3; d <= guess + 3; ++d) {
        if (MulDiv(d, base, denominator) == px) {
            int distance = d > guess ? d - guess : guess - d;
            if (distance < bestDistance) {
                best = d;
                bestDistance = distance;
            }
        }
    }
    return best;
}

}  // namespace ui_driver
