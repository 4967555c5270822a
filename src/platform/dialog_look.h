// The look shared by every dialog and message box of the program.
#pragma once

namespace platform {

// From now on every dialog and message box of this thread paints its background in the
// given colour, with black text.
void SetDialogColours(int red, int green, int blue);

// Registers the window classes of the common controls, which gives dialog controls their
// three-dimensional look and makes the list view known.
void RegisterCommonControls();

}  // namespace platform
