#include "actions.h"

#include <cstring>
#include <string>

#include "menu_dump.h"
#include "records.h"
#include "run_clock.h"
#include "sender.h"
#include "text.h"
#include "window_dump.h"
#include "window_info.h"

namespace ui_driver {

HANDLE g_child = nullptr;

namespace {

constexpr DWORD kAfterPostMs = 100;  // pause after each posting action

void ActionError(const Action& a, const std::string& what) {
    g_records.Write({"ERROR", "line " + Int(a.line) + " '" + a.source + "': " + what});
}

HWND KeyTarget(HWND dlg) {
    DWORD tid = GetWindowThreadProcessId(dlg, nullptr);
    GUITHREADINFO gti;
    std::memset(&gti, 0, sizeof gti);
    gti.cbSize = sizeof gti;
    if (GetGUIThreadInfo(tid, &gti) && gti.hwndFocus && (gti.hwndFocus == dlg || IsChild(dlg, gti.hwndFocus)))
        return gti.hwndFocus;
    return dlg;
}

LPARAM KeyLParam(UINT vk, bool up) {
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF;
    LPARAM l = 1 | (static_cast<LPARAM>(scan) << 16);
    switch (vk) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_INSERT:
        case VK_DELETE:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_RCONTROL:
        case VK_RMENU:
            l |= static_cast<LPARAM>(1) << 24;
            break;
        default:
            break;
    }
    if (up) l |= (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    return l;
}

Flow RunAction(HWND wnd, const Action& a) {
    Verbose("action line %d: %s", a.line, a.source.c_str());
    if (a.op == Op::kMark) {
        g_records.Write({"MARK", a.text});
        return Flow::kContinue;
    }
    if (a.op == Op::kSleep) return Pause(static_cast<DWORD>(a.number));
    if (!IsWindow(wnd)) {
        ActionError(a, "window is gone");
        return Flow::kContinue;
    }
    Sender sender;
    bool posted = false;
    switch (a.op) {
        case Op::kDump:
            DumpWindow(wnd);
            break;
        case Op::kDumpMenu:
            DumpMenus(wnd);
            break;
        case Op::kClose:
            posted = PostMessageW(wnd, WM_CLOSE, 0, 0) != 0;
            break;
        case Op::kCommand:
            posted = PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(a.number), 0), 0) != 0;
            break;
        case Op::kSysCommand:
            posted = PostMessageW(wnd, WM_SYSCOMMAND, static_cast<WPARAM>(a.number), 0) != 0;
            break;
        case Op::kKey: {
            HWND target = KeyTarget(wnd);
            UINT vk = static_cast<UINT>(a.number);
            Verbose("key %u to %p (%s)", vk, static_cast<void*>(target), target == wnd ? "dialog" : "focused control");
            posted = PostMessageW(target, WM_KEYDOWN, vk, KeyLParam(vk, false)) != 0;
            posted = PostMessageW(target, WM_KEYUP, vk, KeyLParam(vk, true)) != 0 && posted;
            break;
        }
        case Op::kClick:
        case Op::kSetText:
        case Op::kSelect:
        case Op::kCheck: {
            HWND ctl = FindControl(wnd, a.id);
            if (!ctl) {
                ActionError(a, "no control with id " + Int(a.id));
                return Flow::kContinue;
            }
            if (a.op == Op::kClick) {
                if (!IsWindowEnabled(ctl) || !IsWindowVisible(ctl)) {
                    ActionError(a, "control is disabled or hidden");
                    return Flow::kContinue;
                }
                posted = PostMessageW(ctl, BM_CLICK, 0, 0) != 0;
            } else if (a.op == Op::kCheck) {
                posted = PostMessageW(ctl, BM_SETCHECK, static_cast<WPARAM>(a.number), 0) != 0;
            } else if (a.op == Op::kSetText) {
                std::wstring text = Widen(a.text);
                if (!sender.Send(ctl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr)) {
                    ActionError(a, "WM_SETTEXT did not complete");
                    return Flow::kContinue;
                }
                posted = true;
            } else {
                std::wstring cls = ClassNameW(ctl);
                bool combo = IsComboClass(cls);
                if (!combo && !IsListClass(cls)) {
                    ActionError(a, "control is neither a combo box nor a list box");
                    return Flow::kContinue;
                }
                WPARAM index = static_cast<WPARAM>(a.number);
                DWORD_PTR r = 0;
                bool ok;
                LONG cs = GetWindowLongW(ctl, GWL_STYLE);
                if (combo) {
                    ok = sender.Send(ctl, CB_SETCURSEL, index, 0, &r) && static_cast<LONG_PTR>(r) != CB_ERR;
                } else if (cs & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
                    ok = sender.Send(ctl, LB_SETSEL, FALSE, -1, &r) &&
                         sender.Send(ctl, LB_SETSEL, TRUE, static_cast<LPARAM>(index), &r) &&
                         static_cast<LONG_PTR>(r) != LB_ERR && sender.Send(ctl, LB_SETCARETINDEX, index, 0, &r);
                } else {
                    ok = sender.Send(ctl, LB_SETCURSEL, index, 0, &r) && static_cast<LONG_PTR>(r) != LB_ERR;
                }
                if (!ok) {
                    ActionError(a, "selection failed (index out of range or control busy)");
                    return Flow::kContinue;
                }
                HWND parent = GetParent(ctl);
                WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
                posted =
                    PostMessageW(parent ? parent : wnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ControlId(ctl)), code),
                                 reinterpret_cast<LPARAM>(ctl)) != 0;
            }
            break;
        }
        case Op::kMark:
        case Op::kSleep:
            break;
    }
    if (a.op == Op::kDump || a.op == Op::kDumpMenu) return RemainingMs() == 0 ? Flow::kTimedOut : Flow::kContinue;
    if (!posted) {
        ActionError(a, "message could not be posted");
        return Flow::kContinue;
    }
    return Pause(kAfterPostMs);
}

struct MsgBoxInfo {
    HWND button = nullptr;
    int buttonId = 0;
    std::wstring text;
};

// A message box: exactly one visible push button (IDOK or IDCANCEL) and a static with id 0xFFFF.
bool LooksLikeMessageBox(HWND wnd, MsgBoxInfo& info) {
    int buttons = 0;
    bool haveText = false;
    for (HWND c : DirectChildren(wnd)) {
        std::wstring cls = ClassNameW(c);
        LONG cs = GetWindowLongW(c, GWL_STYLE);
        int id = ControlId(c);
        if (IsButtonClass(cls) && (cs & WS_VISIBLE) && IsPushButton(cs)) {
            ++buttons;
            info.button = c;
            info.buttonId = id;
        } else if (id == -1 && EqualsNoCase(cls, L"Static") && !haveText) {
            haveText = true;
            info.text = WindowTextW(c);
        }
    }
    return buttons == 1 && haveText && (info.buttonId == IDOK || info.buttonId == IDCANCEL);
}

}  // namespace

bool ChildExited() {
    return WaitForSingleObject(g_child, 0) == WAIT_OBJECT_0;
}

Flow Pause(DWORD ms) {
    DWORD bound = Bounded(ms);
    if (WaitForSingleObject(g_child, bound) == WAIT_OBJECT_0) return Flow::kChildExited;
    if (bound < ms || RemainingMs() == 0) return Flow::kTimedOut;
    return Flow::kContinue;
}

Flow HandleWindow(HWND wnd, std::vector<Rule>& rules, bool returning) {
    std::wstring caption = WindowTextW(wnd);
    for (Rule& rule : rules) {
        if (rule.used || rule.onReturn != returning || Widen(rule.caption) != caption) continue;
        if (rule.hasId && !FindControl(wnd, rule.id)) continue;
        rule.used = true;
        Verbose("window %p '%s' matched rule at line %d", static_cast<void*>(wnd), Narrow(caption).c_str(), rule.line);
        for (const Action& a : rule.actions) {
            Flow f = RunAction(wnd, a);
            if (f != Flow::kContinue) return f;
        }
        return Flow::kContinue;
    }
    if (returning) return Flow::kContinue;
    MsgBoxInfo mb;
    if (LooksLikeMessageBox(wnd, mb)) {
        g_records.Write({"MSGBOX", Narrow(caption), Narrow(mb.text)});
        PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(mb.buttonId), BN_CLICKED),
                     reinterpret_cast<LPARAM>(mb.button));
        return Pause(kAfterPostMs);
    }
    g_records.Write({"UNEXPECTED", Narrow(caption)});
    DumpWindow(wnd);
    PostMessageW(wnd, WM_CLOSE, 0, 0);
    return Pause(kAfterPostMs);
}

}  // namespace ui_driver
