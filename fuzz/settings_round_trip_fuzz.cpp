// The settings file: any bytes as "Vantrel.dat", loaded, saved and loaded again must give
// the same ten values, the first ten the reading rules give (fuzz::ExpectedFields); saving
// those again must give the same bytes, in the file's own layout (each value, ";", CR LF).
// The round trip runs on the bytes in memory; on about one input in 16 it runs again through
// the real file, which must give the same values and bytes and leave no other file beside it.

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "config/import_settings.h"
#include "fuzz_support.h"

namespace {

std::string ExpectedFile(const ImportSettings& settings) {
    std::string file;
    for (int i = 0; i < ImportSettings::kValueCount; ++i) file += settings.RawValue(i) + ";\r\n";
    return file;
}

void CheckSameValues(const ImportSettings& a, const ImportSettings& b) {
    const std::string ImportSettings::*const fields[] = {
        &ImportSettings::producerCode,  &ImportSettings::serverAddress,  &ImportSettings::serverPostFile,
        &ImportSettings::krnLaunchFile, &ImportSettings::company,        &ImportSettings::qqPath,
        &ImportSettings::vantrelFolder, &ImportSettings::useItcZavezuda, &ImportSettings::raterCode,
        &ImportSettings::productName,
    };
    for (int i = 0; i < ImportSettings::kValueCount; ++i) {
        FUZZ_CHECK(a.*fields[i] == b.*fields[i]);
        FUZZ_CHECK(a.RawValue(i) == b.RawValue(i));
        FUZZ_CHECK(a.*fields[i] == a.RawValue(i));
    }
}

void CheckFileRoundTrip(const std::string& bytes, const ImportSettings& inMemory, const std::string& saved) {
    fuzz::InPrivateFolder folder;
    fuzz::WriteFile(kSettingsFileName, bytes);

    ImportSettings first;
    CheckSameValues(first, inMemory);
    FUZZ_CHECK(first.Save());
    FUZZ_CHECK(fuzz::ReadFile(kSettingsFileName) == saved);

    ImportSettings second;
    CheckSameValues(first, second);
    FUZZ_CHECK(second.Save());
    FUZZ_CHECK(fuzz::ReadFile(kSettingsFileName) == saved);

    // The settings file is all there is in the folder.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        FUZZ_CHECK(entry.path().filename() == kSettingsFileName);
        ++files;
    }
    FUZZ_CHECK(files == 1);
    // Gone again, so the records of later inputs are made without a file to read.
    FUZZ_CHECK(std::remove(kSettingsFileName) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::Bytes(data, size);
    // New records per input, made in the private folder where there is no settings file:
    // records kept from input to input would hold on to memory libFuzzer takes for a leak.
    fuzz::InPrivateFolder folder;
    ImportSettings first, second;

    first.LoadText(bytes);
    std::vector<std::string> expected = fuzz::ExpectedFields(bytes, ';');
    expected.resize(ImportSettings::kValueCount);
    for (int i = 0; i < ImportSettings::kValueCount; ++i) FUZZ_CHECK(first.RawValue(i) == expected[i]);
    const std::string saved = first.SaveText();
    FUZZ_CHECK(saved == ExpectedFile(first));

    second.LoadText(saved);
    CheckSameValues(first, second);
    FUZZ_CHECK(second.SaveText() == saved);

    if (fuzz::OneIn(16, data, size)) CheckFileRoundTrip(bytes, first, saved);
    return 0;
}
