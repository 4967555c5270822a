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

ImportSettings::ImportSettings(const std::string& fileBytes) {
    LoadText(fileBytes);
}

void ImportSettings::Load() {
    FieldReader reader = StartLoad();
    // A missing file is not handed to the reader, so it costs no retry delay.
    // Kept: a settings file that cannot be read leaves every value empty, without a word;
    // start-up then opens the main window, where the agent can look at the settings.
    if (FileExists(kSettingsFileName)) static_cast<void>(ReadFields(kSettingsFileName, reader));
    FinishLoad();
}

void ImportSettings::LoadText(const std::string& fileBytes) {
    FieldReader reader = StartLoad();
    reader.Take(fileBytes);
    FinishLoad();
}

FieldReader ImportSettings::StartLoad() {
    for (std::string& value : rawValues_) value.clear();
    return FieldReader(';', rawValues_, kValueCount);
}

void ImportSettings::FinishLoad() {
    for (int i = 0; i < kValueCount; ++i) this->*kFieldsInFileOrder[i] = rawValues_[i];
}

bool ImportSettings::Save() {
    return SaveAs(kSettingsFileName);
}

bool ImportSettings::SaveAs(const std::string& path) {
    CopyFieldsToRawValues();
    return WriteLines(rawValues_, path, ';', kValueCount) != 0;
}

std::string ImportSettings::SaveText() {
    CopyFieldsToRawValues();
    return LinesFileBytes(rawValues_, ';', kValueCount);
}

void ImportSettings::CopyFieldsToRawValues() {
    for (int i = 0; i < kValueCount; ++i) rawValues_[i] = this->*kFieldsInFileOrder[i];
}
