#include <windows.h>

#include "platform/dialog.h"

namespace platform {

// The dialog procedure keeps the Dialog object in the window's user slot and forwards to
// its virtual handlers.
struct DialogHost {
    static HWND Window(const Dialog& dialog) { return static_cast<HWND>(dialog.window_); }

    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
            case WM_NCDESTROY:
                SetWindowLongPtrA(window, DWLP_USER, 0);
                dialog->window_ = nullptr;
                return FALSE;
        }
        return FALSE;
    }

    static bool Command(Dialog& dialog, int id, int notification) {
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
};

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
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), nullptr,
                                            DialogHost::Procedure, reinterpret_cast<LPARAM>(this)));
}

bool Dialog::Create() {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), nullptr,
                              DialogHost::Procedure, reinterpret_cast<LPARAM>(this)) != nullptr;
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

void Dialog::EnableItem(int controlId, bool enabled) {
    EnableWindow(GetDlgItem(DialogHost::Window(*this), controlId), enabled ? TRUE : FALSE);
}

}  // namespace platform
