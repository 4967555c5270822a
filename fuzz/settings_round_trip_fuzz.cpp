// The settings file: any bytes as "Vantrel.dat", loaded, saved and loaded again must give
// the same ten values; saving those again must write the same bytes, in the file's own
// layout (each value, ";", CR LF), and no other file is left beside it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InPrivateFolder folder;
    fuzz::WriteFile(kSettingsFileName, fuzz::Bytes(data, size));

    ImportSettings first;
    for (int i = 0; i < ImportSettings::kValueCount; ++i) {
        FUZZ_CHECK(first.RawValue(i).find_first_of(std::string(";\n\0", 3)) == std::string::npos);
    }
    first.Save();
    const std::string saved = fuzz::ReadFile(kSettingsFileName);
    FUZZ_CHECK(saved == ExpectedFile(first));

    ImportSettings second;
    CheckSameValues(first, second);
    second.Save();
    FUZZ_CHECK(fuzz::ReadFile(kSettingsFileName) == saved);

    // The settings file is all there is in the folder.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        FUZZ_CHECK(entry.path().filename() == kSettingsFileName);
        ++files;
    }
    FUZZ_CHECK(files == 1);
    return 0;
}
