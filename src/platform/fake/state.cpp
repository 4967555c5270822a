#include "platform/fake/state.h"

namespace fake {

State& Platform() {
    static State state;
    return state;
}

void Reset() {
    Platform() = State();
}

}  // namespace fake
