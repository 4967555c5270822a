#include "window_dump.h"

#include <string>
#include <vector>

#include "dialog_units.h"
#include "records.h"
#include "sender.h"
#include "text.h"
#include "window_info.h"

namespace ui_driver {

namespace {

constexpr int kMaxListItems = 10000;  // bound on combo/list items dumped per control

// Controls that keep their text in their own buffer rather than in the window text.
bool KeepsOwnText(const std::wstring& cls) {
    return EqualsNoCase(cls, L"Edit") || IsComboClass(cls) || EqualsNoCase(cls, L"RichEdit") ||
           EqualsNoCase(cls, L"RichEdit20A") || EqualsNoCase(cls, L"RichEdit20W") || EqualsNoCase(cls, L"RICHEDIT50W");
}

// Text of a control.  Window text (InternalGetWindowText) never blocks, but edit and combo
// controls keep their current text in their own buffer, so for those a bounded WM_GETTEXT is tried
// first; when the UI thread is busy the window text is used instead.
std::wstring ControlText(HWND c, const std::wstring& cls, Sender& sender) {
    if (KeepsOwnText(cls)) {
        DWORD_PTR len = 0;
        if (sender.Send(c, WM_GETTEXTLENGTH, 0, 0, &len) && len < (1u << 20)) {
            std::vector<wchar_t> buf(static_cast<size_t>(len) + 16, L'\0');
            DWORD_PTR got = 0;
            if (sender.Send(c, WM_GETTEXT, static_cast<WPARAM>(buf.size()), reinterpret_cast<LPARAM>(buf.data()),
                            &got)) {
                size_t n = 0;
                while (n < buf.size() && buf[n]) ++n;
                return std::wstring(buf.data(), n);
            }
        }
    }
    return WindowTextW(c);
}

std::string RectString(int x, int y, int w, int h) {
    return Int(x) + "," + Int(y) + "," + Int(w) + "," + Int(h);
}

// ITEM records of a combo or list box; none at all when any message fails.
void DumpItems(HWND ctl, int id, const std::wstring& cls, LONG style, Sender& sender) {
    bool combo = IsComboClass(cls);
    UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT getLen = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
    bool hasText;
    if (combo)
        hasText = !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (style & CBS_HASSTRINGS);
    else
        hasText = !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (style & LBS_HASSTRINGS);
    DWORD_PTR count = 0;
    if (!sender.Send(ctl, getCount, 0, 0, &count)) return;
    int n = static_cast<int>(static_cast<LONG_PTR>(count));
    if (n <= 0) return;
    if (n > kMaxListItems) n = kMaxListItems;
    DWORD_PTR cur = 0;
    if (combo && !sender.Send(ctl, CB_GETCURSEL, 0, 0, &cur)) return;
    std::vector<std::vector<std::string>> items;
    for (int i = 0; i < n; ++i) {
        std::wstring text;
        if (hasText) {
            DWORD_PTR len = 0;
            if (!sender.Send(ctl, getLen, static_cast<WPARAM>(i), 0, &len)) return;
            LONG_PTR l = static_cast<LONG_PTR>(len);
            if (l >= 0 && l < (1 << 20)) {
                std::vector<wchar_t> buf(static_cast<size_t>(l) + 16, L'\0');
                DWORD_PTR got = 0;
                if (!sender.Send(ctl, getText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()), &got))
                    return;
                LONG_PTR g = static_cast<LONG_PTR>(got);
                if (g > 0 && g <= l) text.assign(buf.data(), static_cast<size_t>(g));
            }
        }
        bool selected;
        if (combo) {
            selected = static_cast<LONG_PTR>(cur) == i;
        } else {
            DWORD_PTR sel = 0;
            if (!sender.Send(ctl, LB_GETSEL, static_cast<WPARAM>(i), 0, &sel)) return;
            selected = static_cast<LONG_PTR>(sel) > 0;
        }
        items.push_back({"ITEM", Int(id), Int(i), Narrow(text), selected ? "1" : "0"});
    }
    for (const auto& rec : items) g_records.Write(rec);
}

}  // namespace

void DumpWindow(HWND wnd) {
    Sender sender;
    LONG style = GetWindowLongW(wnd, GWL_STYLE);
    LONG exStyle = GetWindowLongW(wnd, GWL_EXSTYLE);
    RECT client = {0, 0, 0, 0};
    GetClientRect(wnd, &client);
    int bx = 0, by = 0;
    bool units = IsDialogClass(wnd) && DialogBaseUnits(wnd, sender, bx, by);
    g_records.Write({"WINDOW", Narrow(WindowTextW(wnd)), Hex32(static_cast<DWORD>(style)),
                     Hex32(static_cast<DWORD>(exStyle)),
                     Int(client.right - client.left) + "x" + Int(client.bottom - client.top),
                     units ? Int(bx) + "," + Int(by) : std::string("-")});
    for (HWND c : DirectChildren(wnd)) {
        if (!IsWindow(c)) continue;
        std::wstring cls = ClassNameW(c);
        LONG cs = GetWindowLongW(c, GWL_STYLE);
        int id = ControlId(c);
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&r), 2);
        int w = r.right - r.left, h = r.bottom - r.top;
        std::string dlu = "-";
        if (units)
            dlu = RectString(PixelsToUnits(r.left, bx, 4), PixelsToUnits(r.top, by, 8), PixelsToUnits(w, bx, 4),
                             PixelsToUnits(h, by, 8));
        g_records.Write({"CONTROL", Int(id), Narrow(cls), Narrow(ControlText(c, cls, sender)),
                         Hex32(static_cast<DWORD>(cs)), IsWindowEnabled(c) ? "1" : "0", (cs & WS_VISIBLE) ? "1" : "0",
                         RectString(r.left, r.top, w, h), dlu});
        if (IsComboClass(cls) || IsListClass(cls)) {
            DumpItems(c, id, cls, cs, sender);
        } else if (IsButtonClass(cls) && IsCheckLike(cs)) {
            DWORD_PTR state = 0;
            if (sender.Send(c, BM_GETCHECK, 0, 0, &state))
                g_records.Write({"CHECK", Int(id), Int(static_cast<long long>(state))});
        }
    }
}

}  // namespace ui_driver
