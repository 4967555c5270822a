// Cuts a text file's bytes into separated values, by the reading rules of every text file the
// program reads:
//  - a CR directly before a line feed is not seen, nor one that ends the text (which
//    matters only when CR is the separator);
//  - every separator byte ends one value;
//  - a line feed drops what was gathered since the last separator on its line;
//  - a zero byte adds nothing (unless it is the separator);
//  - text after the last separator is dropped.
//
// The bytes come all at once (a text held in memory) or piece by piece (a file as it is
// read); where the pieces are cut makes no difference. The first `capacity` values go into
// `values` from its first element on, each replacing what the element held; elements past
// the last value found are left untouched. Past `capacity` values are only counted, and
// only the first one: enough to tell that there were more.
#pragma once

#include <cstddef>
#include <string>

class FieldReader {
public:
    FieldReader(char separator, std::string values[], std::size_t capacity);

    // Takes the next bytes. False once a value past `capacity` was met: no later byte can
    // change what was stored, so a reader of a file can stop there.
    bool Take(const char* bytes, std::size_t size);
    bool Take(const std::string& text) { return Take(text.data(), text.size()); }

    // Values stored so far, at most `capacity`.
    std::size_t Stored() const { return found_ < capacity_ ? found_ : capacity_; }
    // True once a value past `capacity` was met.
    bool Overflowed() const { return found_ > capacity_; }

private:
    // The next separator or line feed in [begin, end), or `end`.
    const char* FindStop(const char* begin, const char* end) const;
    // Adds the bytes of [begin, end) that count (zero bytes do not) to `value`.
    void Gather(std::string& value, const char* begin, const char* end) const;
    // A separator seen: the pending text and [begin, end) make the next value.
    void EndValue(const char* begin, const char* end);
    void SeeHeldCr();

    char separator_;
    std::string* values_;
    std::size_t capacity_;
    std::size_t found_ = 0;
    std::string pending_;  // the start of a value that an earlier piece began
    bool heldCr_ = false;  // the last piece ended in a CR, not seen until the next byte is known
};
