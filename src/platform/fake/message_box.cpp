#include "platform/message_box.h"

#include "platform/fake/state.h"

namespace platform {

void ShowMessage(const std::string& text) {
    fake::Platform().events.push_back(fake::Event::Message(text));
}

}  // namespace platform
