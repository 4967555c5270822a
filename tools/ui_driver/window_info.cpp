#include "window_info.h"

#include <cstdint>

// Exported by user32 on every supported Windows and on Wine; declared here in case the SDK
// headers in use do not declare it.
extern "C" __declspec(dllimport) int WINAPI InternalGetWindowText(HWND hWnd, LPWSTR pString, int cchMaxCount);

namespace ui_driver {

namespace {

constexpr int kMaxChildren = 4096;  // bound on the children listed per window
constexpr int kTextBufChars = 32768;

struct FindCtx {
    int id;
    HWND found;
};

BOOL CALLBACK FindDescendantProc(HWND h, LPARAM p) {
    FindCtx* ctx = reinterpret_cast<FindCtx*>(p);
    if (ControlId(h) == ctx->id) {
        ctx->found = h;
        return FALSE;
    }
    return TRUE;
}

struct EnumCtx {
    DWORD pid;
    bool dialogsOnly;
    std::vector<HWND> windows;
};

BOOL CALLBACK EnumTopProc(HWND h, LPARAM p) {
    EnumCtx* ctx = reinterpret_cast<EnumCtx*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == ctx->pid && IsWindowVisible(h) && (!ctx->dialogsOnly || IsDialogClass(h))) ctx->windows.push_back(h);
    return TRUE;
}

}  // namespace

std::wstring WindowTextW(HWND h) {
    std::vector<wchar_t> buf(kTextBufChars);
    int n = InternalGetWindowText(h, buf.data(), kTextBufChars);
    if (n < 0) n = 0;
    if (n >= kTextBufChars) n = kTextBufChars - 1;
    return std::wstring(buf.data(), static_cast<size_t>(n));
}

std::wstring ClassNameW(HWND h) {
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 256);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

bool IsDialogClass(HWND h) {
    return ClassNameW(h) == L"#32770";
}

int ControlId(HWND h) {
    LONG_PTR raw = GetWindowLongPtrW(h, GWLP_ID);
    int id = static_cast<int>(static_cast<uint32_t>(raw));
    if (id == 0xFFFF) id = -1;
    return id;
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c && static_cast<int>(out.size()) < kMaxChildren;
         c = GetWindow(c, GW_HWNDNEXT))
        out.push_back(c);
    return out;
}

HWND FindControl(HWND dlg, int id) {
    for (HWND c : DirectChildren(dlg))
        if (ControlId(c) == id) return c;
    FindCtx ctx{id, nullptr};
    EnumChildWindows(dlg, FindDescendantProc, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

std::vector<HWND> ChildTopWindows(DWORD pid, bool dialogsOnly) {
    EnumCtx ctx{pid, dialogsOnly, {}};
    EnumWindows(EnumTopProc, reinterpret_cast<LPARAM>(&ctx));
    return ctx.windows;
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    return lstrcmpiW(a.c_str(), b) == 0;
}

bool IsComboClass(const std::wstring& cls) {
    return EqualsNoCase(cls, L"ComboBox") || EqualsNoCase(cls, L"ComboBoxEx32");
}

bool IsListClass(const std::wstring& cls) {
    return EqualsNoCase(cls, L"ListBox") || EqualsNoCase(cls, L"ComboLBox");
}

bool IsButtonClass(const std::wstring& cls) {
    return EqualsNoCase(cls, L"Button");
}

bool IsCheckLike(LONG style) {
    LONG type = style & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
           type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsPushButton(LONG style) {
    LONG type = style & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

}  // namespace ui_driver
