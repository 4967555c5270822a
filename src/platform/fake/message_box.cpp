#include "platform/message_box.h"

#include "platform/fake/state.h"

namespace platform {

void ShowMessage(const std::string& text) {
    fake::Platform().messages.push_back(text);
    fake::Platform().events.push_back("message " + text);
}

}  // namespace platform
