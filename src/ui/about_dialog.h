// The About box: the program's icon, name and version line.
#pragma once

#include "platform/dialog.h"

class AboutDialog : public platform::Dialog {
public:
    AboutDialog();
};
