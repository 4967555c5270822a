#include "platform/fake/state.h"

namespace fake {

State& Platform() {
    static State state;
    return state;
}

void Reset() {
    Platform() = State();
}

std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const Event& event : Platform().events) {
        if (event.kind == EventKind::kMessage) texts.push_back(event.text);
    }
    return texts;
}

std::vector<int> Pauses() {
    std::vector<int> pauses;
    for (const Event& event : Platform().events) {
        if (event.kind == EventKind::kPause) pauses.push_back(event.milliseconds);
    }
    return pauses;
}

}  // namespace fake
