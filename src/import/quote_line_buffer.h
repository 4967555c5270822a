// The rater's export file held in memory, one line per slot, and its two encodings as the
// field part of the form body that the import posts.
//
// Record encoding (the "FSC" rater): every line is a quoted, comma-separated record whose
// first value is its record number, `"12","first","second"`, and every value becomes one
// field `&R<G>=<N>,<O>,<F>,<value>`: G the running field number of the whole call, N the
// record number, O how many lines with that number have been met so far, F the value's
// position on its line (from 1).
//
// Line encoding (every other rater): every non-empty line becomes `&R<slot>=<line>`; empty
// lines leave gaps in the keys.
//
// Both encoders work on the lines the last load gave (slots past them, whatever they hold,
// are not part of the file), and return either empty text or text that begins with "&R",
// ready to follow the header part. "&" and "%" are removed from each line before it is cut
// up; "#" and "'" are removed from the values and every space in them is sent as "%20".
// Nothing else is encoded.
//
// The loaded slots are worked on in place: after an encoder each holds what its cuts left
// (most lines are consumed down to empty text by the record encoding), so encoding again
// needs a fresh load. Only the returned text is meant to be used.
#pragma once

#include <cstddef>
#include <map>
#include <string>

class FieldReader;

// What a load found.
enum class ExportFileLoad {
    kLoaded,        // every line of the file is in the slots
    kMissing,       // there is no such file: no line was loaded
    kUnreadable,    // the file is there but could not be opened: no line was loaded
    kTooManyLines,  // the first 5000 lines were loaded, and there were more
};

class QuoteLineBuffer {
public:
    static constexpr int kLineCapacity = 5000;
    static constexpr int kRecordNumbers = 30;

    QuoteLineBuffer() = default;

    // Fills `lines` from the file at `filePath` as LoadText does from its bytes.
    [[nodiscard]] ExportFileLoad LoadFile();

    // Fills `lines` from the bytes of an export file: slot k gets line k+1 without its line
    // end (CR LF or LF) and without zero bytes; text after the last line feed is not read;
    // slots past the last line keep what they held but are no longer loaded. More lines than
    // slots are reported: the import must refuse such a file rather than post a quote with
    // its tail cut off.
    [[nodiscard]] ExportFileLoad LoadText(const std::string& text);

    // How many slots, from the first on, the last load filled.
    int LoadedLines() const { return loadedLines_; }

    // Sets the 30 counters, and the counts of record numbers outside 0-29, to 0.
    void ClearRecordCounters();

    // The line encoding of the lines loaded.
    std::string EncodeLoadedLines();

    // The record encoding of the lines loaded. Clears the counters first, so every call
    // starts the occurrences and the running field number again.
    //
    // The record number is the text before the first `",` of a line (its first two
    // characters when there is none), quotes and commas removed, read as the C library's
    // atoi reads it; a number beyond the range of int reads as the nearest end of the
    // range, as the Windows C runtime's atoi does. Numbers outside 0-29 are counted apart
    // from `recordCounters`, so they get true occurrence numbers too. Every loaded line,
    // an empty one too, counts as an occurrence of its record number.
    std::string EncodeLoadedRecords();

    std::string lines[kLineCapacity];
    // Occurrences met so far of record numbers 0-29, during the record encoding.
    int recordCounters[kRecordNumbers] = {};
    std::string filePath;

private:
    // Counts the occurrence of record number `n` and returns it.
    int CountOccurrence(int n);

    // Room for the body of the lines as loaded, so that a long export is not copied
    // again and again as the body grows.
    std::size_t ExpectedBodySize() const;

    // Takes what `reader` found over `lines`.
    ExportFileLoad Loaded(const FieldReader& reader);

    std::map<int, int> otherRecordCounters_;
    int loadedLines_ = 0;
};
