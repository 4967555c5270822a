// What the driver reads about windows without sending them a message, so none of it can wait
// on a busy UI thread of the program under test.
#pragma once

#include <string>
#include <vector>

#include "windows_api.h"

namespace ui_driver {

// Window text by InternalGetWindowText. For edit and combo controls this is the template's
// text, not what they show (window_dump.cpp reads those with a bounded message).
std::wstring WindowTextW(HWND h);

std::wstring ClassNameW(HWND h);

// A dialog or message box (class "#32770").
bool IsDialogClass(HWND h);

// Control id as a signed value; 0xFFFF (the "no id" of dialog templates) reads as -1.
int ControlId(HWND h);

// Direct children in z-order (for a dialog, template order), at most 4096.
std::vector<HWND> DirectChildren(HWND parent);

// The control with `id` (as ControlId gives it): a direct child first, in template order, then
// any descendant. Null when there is none.
HWND FindControl(HWND dlg, int id);

// The visible top-level windows of process `pid`, in z-order; only dialogs with `dialogsOnly`.
std::vector<HWND> ChildTopWindows(DWORD pid, bool dialogsOnly);

bool EqualsNoCase(const std::wstring& a, const wchar_t* b);

// Class names, compared as Windows does (case-insensitive).
bool IsComboClass(const std::wstring& cls);  // ComboBox, ComboBoxEx32
bool IsListClass(const std::wstring& cls);   // ListBox, ComboLBox
bool IsButtonClass(const std::wstring& cls);

// Button styles: check box, 3-state box or radio button; push or default push button.
bool IsCheckLike(LONG style);
bool IsPushButton(LONG style);

}  // namespace ui_driver
