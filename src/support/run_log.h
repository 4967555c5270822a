// A run log: how the last start was dispatched, collected in memory and written once,
// replacing the previous start's file.
#pragma once

#include <string>

class RunLog {
public:
    static constexpr int kSlots = 20;

    // Index of the first empty slot, or kSlots when every slot holds a line.
    int FirstFreeSlot() const;
    // Stores the text unchanged in the first free slot and returns its index. An empty text
    // leaves the slot free. On a full log the line is dropped and kSlots is returned.
    int AddLine(const std::string& text);
    // Writes all 20 slots, one line each, to the file at `path`; true when the file exists
    // afterwards.
    [[nodiscard]] bool Save(const std::string& path) const;

    const std::string& Line(int slot) const { return slots_[slot]; }

private:
    std::string slots_[kSlots];
};
