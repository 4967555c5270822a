// The configuration tool's message boxes when it is built natively: a console program tells
// its user on standard error. The file module shows its failures this way.
#include <cstdio>

#include "platform/message_box.h"

namespace platform {

void ShowMessage(const std::string& text) {
    std::fprintf(stderr, "vantrel_config: %s\n", text.c_str());
}

}  // namespace platform
