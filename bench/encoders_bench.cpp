// Time of the two export-file encodings, file read included, on exports of realistic
// records: a full 5000-line export, 5000 long lines making 20 MB, and sizes from 1 KB to
// 64 MB to show that the cost grows in step with the file. Linked with the fake platform,
// whose pauses cost nothing, so what is timed is reading and encoding.
//
// Memory: glibc hands a block over 32 MB (the body of a 13 MB export and up) to the system
// when it is freed, and gives the next call fresh pages, whose first touch costs this kind
// of virtual machine about 2.6 ms a megabyte - more than the encoding itself. So that the
// figures measure the encoders and not the kernel, freed memory is kept for the next call,
// as in any long-running process. The *FreshPages benchmarks give every call fresh pages
// instead, as the one encoding of a real import gets.
#include <benchmark/benchmark.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "import/quote_line_buffer.h"

namespace {

std::filesystem::path BenchFolder() {
    static const std::filesystem::path folder = [] {
        std::random_device random;
        auto path = std::filesystem::temp_directory_path() / ("vantrel-bench-" + std::to_string(random()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// One record line of about `length` bytes, with the things the encoders must deal with:
// commas, parentheses, spaces, "&", "%", "#", "'", empty values, record numbers past 29.
std::string RecordLine(int lineNumber, std::size_t length) {
    static const char* const kValues[] = {
        "SMITH", "1 MAIN ST, APT #4", "(555) 123-4567", "O'NEIL & SONS", "F-150 (4X4, XLT)", "2001", "", "50% OFF"};
    std::string line = "\"" + std::to_string(lineNumber % 40) + "\"";
    for (int v = lineNumber; line.size() < length; ++v) line += ",\"" + std::string(kValues[v % 8]) + "\"";
    return line;
}

// An export of `lineCount` lines of `lineLength` bytes each, written once per shape.
const std::string& ExportFile(int lineCount, std::size_t lineLength, std::int64_t* bytes) {
    static std::map<std::pair<int, std::size_t>, std::pair<std::string, std::int64_t>> made;
    auto& entry = made[{lineCount, lineLength}];
    if (entry.first.empty()) {
        entry.first =
            (BenchFolder() / ("export-" + std::to_string(lineCount) + "x" + std::to_string(lineLength))).string();
        std::ofstream out(entry.first, std::ios::binary);
        for (int i = 0; i < lineCount; ++i) out << RecordLine(i, lineLength) << "\r\n";
        out.close();
        entry.second = static_cast<std::int64_t>(std::filesystem::file_size(entry.first));
    }
    *bytes = entry.second;
    return entry.first;
}

enum class Encoding { kRecords, kLines };
enum class Pages { kKept, kFresh };

// Freed memory stays with the process (see the top of this file).
void KeepFreedMemory() {
#ifdef __GLIBC__
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
#endif
}

// Gives the system back every free page, so the next call touches fresh ones.
void ReturnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void Encode(benchmark::State& state, Encoding encoding, int lineCount, std::size_t lineLength,
            Pages pages = Pages::kKept) {
    std::int64_t fileBytes = 0;
    auto buffer = std::make_unique<QuoteLineBuffer>();
    buffer->filePath = ExportFile(lineCount, lineLength, &fileBytes);
    auto encode = [&] {
        if (buffer->LoadFile() != ExportFileLoad::kLoaded) state.SkipWithError("the export file did not load whole");
        return encoding == Encoding::kRecords ? buffer->EncodeLoadedRecords() : buffer->EncodeLoadedLines();
    };
    std::size_t bodyBytes = 0;
    // One call untimed: the process's memory grows to what an encoding needs once, not in
    // the first timed call (which on the largest files is the only one).
    if (pages == Pages::kKept) encode();
    for (auto _ : state) {
        {
            std::string body = encode();
            bodyBytes = body.size();
            benchmark::DoNotOptimize(body.data());
        }
        if (pages == Pages::kFresh) {
            state.PauseTiming();
            ReturnFreedMemory();
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(state.iterations() * fileBytes);
    state.counters["file_MB"] = static_cast<double>(fileBytes) / 1e6;
    state.counters["body_MB"] = static_cast<double>(bodyBytes) / 1e6;
}

// The largest export the buffer holds, with lines of a usual length.
void BM_RecordsFull5000(benchmark::State& state) {
    Encode(state, Encoding::kRecords, 5000, 120);
}
void BM_LinesFull5000(benchmark::State& state) {
    Encode(state, Encoding::kLines, 5000, 120);
}

// 5000 lines of 4 KB: a 20 MB export.
void BM_RecordsLong20MB(benchmark::State& state) {
    Encode(state, Encoding::kRecords, 5000, 4000);
}
void BM_LinesLong20MB(benchmark::State& state) {
    Encode(state, Encoding::kLines, 5000, 4000);
}

// A file of range(0) bytes: 120-byte lines while they fit in 5000 slots, longer lines after.
void SizedEncode(benchmark::State& state, Encoding encoding, Pages pages = Pages::kKept) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::size_t lineLength = std::max<std::size_t>(120, size / QuoteLineBuffer::kLineCapacity);
    const int lineCount = static_cast<int>(std::max<std::size_t>(1, size / lineLength));
    Encode(state, encoding, lineCount, lineLength, pages);
}
void BM_RecordsBySize(benchmark::State& state) {
    SizedEncode(state, Encoding::kRecords);
}
void BM_LinesBySize(benchmark::State& state) {
    SizedEncode(state, Encoding::kLines);
}
void BM_RecordsBySizeFreshPages(benchmark::State& state) {
    SizedEncode(state, Encoding::kRecords, Pages::kFresh);
}

}  // namespace

BENCHMARK(BM_RecordsFull5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesFull5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsLong20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesLong20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsBySize)->RangeMultiplier(4)->Range(1 << 10, 64 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesBySize)->RangeMultiplier(4)->Range(1 << 10, 64 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsBySizeFreshPages)->RangeMultiplier(16)->Range(64 << 10, 64 << 20)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    KeepFreedMemory();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(BenchFolder(), ignored);
    return 0;
}
