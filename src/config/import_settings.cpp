#include "config/import_settings.h"

#include "support/text_file.h"

std::string ImportSettings::*const ImportSettings::kFieldsInFileOrder[kValueCount] = {
    &ImportSettings::producerCode,  &ImportSettings::serverAddress,  &ImportSettings::serverPostFile,
    &ImportSettings::krnLaunchFile, &ImportSettings::company,        &ImportSettings::qqPath,
    &ImportSettings::vantrelFolder, &ImportSettings::useItcZavezuda, &ImportSettings::raterCode,
    &ImportSettings::productName,
};

ImportSettings::ImportSettings() {
    Load();
}

void ImportSettings::Load() {
    for (std::string& value : rawValues_) value.clear();
    // A missing file is not handed to the reader, so it costs no retry delay.
    if (FileExists(kSettingsFileName)) ReadFields(kSettingsFileName, ";", rawValues_, kValueCount);
    for (int i = 0; i < kValueCount; ++i) this->*kFieldsInFileOrder[i] = rawValues_[i];
}

bool ImportSettings::Save() {
    for (int i = 0; i < kValueCount; ++i) rawValues_[i] = this->*kFieldsInFileOrder[i];
    return WriteLines(rawValues_, kSettingsFileName, ";", kValueCount) != 0;
}
