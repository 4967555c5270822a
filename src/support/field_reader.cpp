#include "support/field_reader.h"

#include <cstring>

// Export files run to megabytes, so a value is found with memchr and copied in one go,
// straight into its element (whose room is reused when the same elements are read again);
// only a value cut by the end of a piece is gathered apart.

FieldReader::FieldReader(char separator, std::string values[], std::size_t capacity)
    : separator_(separator), values_(values), capacity_(capacity) {}

const char* FieldReader::FindStop(const char* begin, const char* end) const {
    if (separator_ == '\n') {
        const void* stop = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
        return stop ? static_cast<const char*>(stop) : end;
    }
    const char* c = begin;
    while (c != end && *c != separator_ && *c != '\n') ++c;
    return c;
}

void FieldReader::Gather(std::string& value, const char* begin, const char* end) const {
    if (separator_ != '\0') {
        for (const char* zero;
             (zero = static_cast<const char*>(std::memchr(begin, '\0', static_cast<std::size_t>(end - begin)))) !=
             nullptr;
             begin = zero + 1) {
            value.append(begin, static_cast<std::size_t>(zero - begin));
        }
    }
    value.append(begin, static_cast<std::size_t>(end - begin));
}

void FieldReader::EndValue(const char* begin, const char* end) {
    if (found_ < capacity_) {
        std::string& value = values_[found_];
        value.clear();
        value.swap(pending_);
        Gather(value, begin, end);
    }
    pending_.clear();
    ++found_;
}

void FieldReader::SeeHeldCr() {
    const char cr = '\r';
    if (separator_ == '\r') {
        EndValue(&cr, &cr);
    } else if (found_ < capacity_) {
        pending_ += cr;
    }
}

bool FieldReader::Take(const char* bytes, std::size_t size) {
    if (Overflowed()) return false;
    if (size == 0) return true;
    const char* c = bytes;
    const char* end = bytes + size;
    if (heldCr_) {
        heldCr_ = false;
        if (*c != '\n') SeeHeldCr();
    }
    // Whether a CR at the very end is seen depends on the next piece's first byte. Every CR
    // left in [c, end) has its next byte inside this piece.
    if (end[-1] == '\r') {
        heldCr_ = true;
        --end;
    }
    while (c != end && !Overflowed()) {
        const char* stop = FindStop(c, end);
        if (stop == end) {
            if (found_ < capacity_) Gather(pending_, c, end);
            break;
        }
        if (*stop == '\n' && separator_ == '\n') {
            EndValue(c, stop > c && stop[-1] == '\r' ? stop - 1 : stop);
        } else if (*stop == '\n' || (*stop == '\r' && stop[1] == '\n')) {
            // A line feed, or a CR separator that is not seen before one: the line's
            // unfinished value goes.
            pending_.clear();
        } else {
            EndValue(c, stop);
        }
        c = stop + 1;
    }
    return !Overflowed();
}
