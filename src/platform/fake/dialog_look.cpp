#include "platform/dialog_look.h"

#include "platform/fake/state.h"

namespace platform {

void SetDialogColours(int red, int green, int blue) {
    fake::Platform().dialogColourRed = red;
    fake::Platform().dialogColourGreen = green;
    fake::Platform().dialogColourBlue = blue;
}

void RegisterCommonControls() {
    fake::Platform().commonControlsRegistered = true;
}

}  // namespace platform
