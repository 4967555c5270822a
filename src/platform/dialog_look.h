// The look shared by every dialog and message box of the program.
#pragma once

namespace platform {

// From now on every dialog and message box of this thread paints its background in the
// given colour, with black text.
void SetDialogColours(int red, int green, int blue);

// Switches on the three-dimensional look of dialog controls.
void EnableControls3d();

}  // namespace platform
