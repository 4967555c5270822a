#include "ui/about_dialog.h"

#include "resource.h"

AboutDialog::AboutDialog() : platform::Dialog(IDD_ABOUT) {}
