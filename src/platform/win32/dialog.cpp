#include <windows.h>

#include "platform/dialog.h"
#include "platform/win32/dialog_host.h"
#include "platform/win32/window_class.h"

namespace platform {

INT_PTR CALLBACK DialogHost::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->window_ = window;
        return dialog->OnInitDialog() ? TRUE : FALSE;
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog) return FALSE;
    switch (message) {
        case WM_COMMAND:
            return Command(*dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_SYSCOMMAND:
            return dialog->OnSysCommand(static_cast<int>(wParam)) ? TRUE : FALSE;
        case WM_PAINT:
            return dialog->icon_ && IsIconic(window) ? PaintIcon(window, static_cast<HICON>(dialog->icon_)) : FALSE;
        case WM_QUERYDRAGICON:
            // One of the few messages whose answer a dialog procedure returns directly.
            return reinterpret_cast<INT_PTR>(dialog->icon_);
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, DWLP_USER, 0);
            dialog->window_ = nullptr;
            return FALSE;
    }
    return FALSE;
}

// A minimised dialog shows its icon centred in the client area.
INT_PTR DialogHost::PaintIcon(HWND window, HICON icon) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window, &client);
    const int left = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int top = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, left, top, icon);
    EndPaint(window, &paint);
    return TRUE;
}

bool DialogHost::Command(Dialog& dialog, int id, int notification) {
    // Buttons (BN_CLICKED is 0), menus (0) and accelerators (1) are commands; other
    // control notifications are not.
    if (notification > 1) return false;
    if (id == IDOK) {
        dialog.OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        dialog.OnCancel();
        return true;
    }
    return dialog.OnCommand(id);
}

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
    // The window may outlive a modeless dialog object only if nobody destroyed it; it must
    // not call back into a dead object.
    if (HWND window = DialogHost::Window(*this)) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        DestroyWindow(window);
    }
}

int Dialog::DoModal() {
    // Owned by the window in front (the main window, for the windows opened from it), which
    // stays disabled while this one runs, as a modal window's owner should.
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), GetActiveWindow(),
                                            DialogHost::Procedure, reinterpret_cast<LPARAM>(this)));
}

bool Dialog::Create() {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), nullptr, DialogHost::Procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::Show() {
    ShowWindow(DialogHost::Window(*this), SW_SHOW);
}

void Dialog::RepaintNow() {
    RedrawWindow(DialogHost::Window(*this), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Dialog::Destroy() {
    if (HWND window = DialogHost::Window(*this)) DestroyWindow(window);
}

void Dialog::EndDialog(int result) {
    ::EndDialog(DialogHost::Window(*this), result);
}

void Dialog::SetItemText(int controlId, const std::string& text) {
    SetDlgItemTextA(DialogHost::Window(*this), controlId, text.c_str());
}

std::string Dialog::ItemText(int controlId) const {
    HWND control = GetDlgItem(DialogHost::Window(*this), controlId);
    if (!control) return std::string();
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(control, &text[0], static_cast<int>(text.size()))));
    return text;
}

void Dialog::FocusItem(int controlId) {
    SetFocus(GetDlgItem(DialogHost::Window(*this), controlId));
}

void Dialog::LimitItemText(int controlId, std::size_t maxChars) {
    SendDlgItemMessageA(DialogHost::Window(*this), controlId, EM_LIMITTEXT, maxChars, 0);
}

int Dialog::ItemCheck(int controlId) const {
    return static_cast<int>(IsDlgButtonChecked(DialogHost::Window(*this), controlId));
}

void Dialog::SetItemCheck(int controlId, int state) {
    CheckDlgButton(DialogHost::Window(*this), controlId, static_cast<UINT>(state));
}

void Dialog::AddListEntry(int controlId, const std::string& text) {
    HWND control = GetDlgItem(DialogHost::Window(*this), controlId);
    SendMessageA(control, win32::HasClass(control, "ComboBox") ? CB_ADDSTRING : LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void Dialog::ClearListEntries(int controlId) {
    HWND control = GetDlgItem(DialogHost::Window(*this), controlId);
    SendMessageA(control, win32::HasClass(control, "ComboBox") ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

int Dialog::ListSelection(int controlId) const {
    HWND control = GetDlgItem(DialogHost::Window(*this), controlId);
    return static_cast<int>(
        SendMessageA(control, win32::HasClass(control, "ComboBox") ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void Dialog::SetListSelection(int controlId, int index) {
    HWND control = GetDlgItem(DialogHost::Window(*this), controlId);
    SendMessageA(control, win32::HasClass(control, "ComboBox") ? CB_SETCURSEL : LB_SETCURSEL,
                 static_cast<WPARAM>(index), 0);
}

bool Dialog::AppendSystemMenuCommand(int commandId, const std::string& text) {
    HMENU menu = GetSystemMenu(DialogHost::Window(*this), FALSE);
    if (!menu) return false;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(commandId), text.c_str());
    return true;
}

void Dialog::SetProgramIcon(int iconResourceId) {
    HWND window = DialogHost::Window(*this);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON large = LoadIconA(instance, MAKEINTRESOURCEA(iconResourceId));
    HANDLE small = LoadImageA(instance, MAKEINTRESOURCEA(iconResourceId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    icon_ = large;
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : large));
}

}  // namespace platform
