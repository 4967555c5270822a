// Time of the file reader and of the configuration records: ReadFields on a large file,
// building the route table (200 rows against the site rules) and its lookups, and loading
// and saving the settings. Linked with the fake platform, whose pauses cost nothing, so
// what is timed is the work itself.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/builtin_routes.h"
#include "config/import_settings.h"
#include "config/route_table.h"
#include "support/text_file.h"

namespace {

// Runs every benchmark in a folder of its own, which is also the working directory.
class InBenchFolder {
public:
    InBenchFolder() {
        std::random_device random;
        folder_ = std::filesystem::temp_directory_path() / ("vantrel-files-bench-" + std::to_string(random()));
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
    }
    ~InBenchFolder() {
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::filesystem::path folder_;
};

void ReadFieldsThroughput(benchmark::State& state) {
    InBenchFolder folder;
    const std::size_t bytes = static_cast<std::size_t>(state.range(0));
    {
        std::ofstream out("fields.txt", std::ios::binary);
        const std::string line = std::string(75, 'x') + ";\r\n";
        for (std::size_t written = 0; written < bytes; written += line.size()) out << line;
    }
    std::vector<std::string> values(bytes / 78 + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadFields("fields.txt", ';', values.data(), values.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size("fields.txt")));
}
BENCHMARK(ReadFieldsThroughput)->RangeMultiplier(8)->Range(64 << 10, 64 << 20)->Unit(benchmark::kMillisecond);

void RouteTableBuild(benchmark::State& state) {
    InBenchFolder folder;
    // A site mode that switches one customer to its development site, and 108 extra rows.
    std::ofstream out("PRoute.dat", std::ios::binary);
    out << "KESTRL DEVSITE;\r\n";
    for (int value = 2; value <= 200; ++value) out << BuiltinRouteRows()[value % kBuiltinRouteCount] << ";\r\n";
    out.close();
    for (auto _ : state) {
        RouteTable table;
        benchmark::DoNotOptimize(table.SiteMode());
    }
}
BENCHMARK(RouteTableBuild)->Unit(benchmark::kMicrosecond);

void RouteTableLookup(benchmark::State& state) {
    InBenchFolder folder;
    RouteTable table;
    // The last built-in product: the lookup walks the whole table before it.
    const std::string key = table.Row(kBuiltinRouteCount).productName;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.FindServer(key));
        benchmark::DoNotOptimize(table.FindBrowserPath(key));
    }
}
BENCHMARK(RouteTableLookup)->Unit(benchmark::kMicrosecond);

void SettingsLoadAndSave(benchmark::State& state) {
    InBenchFolder folder;
    ImportSettings settings;
    settings.company = "Harbor Agency";
    settings.raterCode = "FSC";
    settings.productName = "AUTO PLUS";
    if (!settings.Save()) state.SkipWithError("the settings could not be written");
    for (auto _ : state) {
        ImportSettings loaded;
        if (!loaded.Save()) state.SkipWithError("the settings could not be written");
    }
}
BENCHMARK(SettingsLoadAndSave)->Unit(benchmark::kMicrosecond);

}  // namespace
