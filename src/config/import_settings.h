// The settings record: the ten values of "Vantrel.dat", loaded when the record is built.
//
// "Vantrel.dat" holds one value per line, each followed by ";" and CR LF, in the order of
// the fields below. Reading is lenient (several values may share a line; a line without
// ";" gives nothing; only the first ten values count). Every owner builds its own record,
// and a save through one record does not change the others.
#pragma once

#include <string>

#include "support/field_reader.h"

class ImportSettings {
public:
    static constexpr int kValueCount = 10;

    // Builds a record with every value empty, then loads the settings file.
    ImportSettings();
    // Builds a record from the bytes of a settings file held in memory, without touching the
    // program folder's own file: the configuration tool's records are of the files it is given.
    explicit ImportSettings(const std::string& fileBytes);

    // Reads "Vantrel.dat" into the raw values and copies them into the fields. A missing or
    // unreadable file leaves every field empty.
    void Load();
    // Copies the fields into the raw values and rewrites "Vantrel.dat"; false when it could
    // not be written, the old file then being kept. Not reported here.
    [[nodiscard]] bool Save();
    // The same into another file: the configuration tool writes an agency's settings file
    // exactly as the program's own save does.
    [[nodiscard]] bool SaveAs(const std::string& path);

    // Load and Save on the bytes of a settings file held in memory: LoadText reads them with
    // the reader Load gives the file to; SaveText returns what Save would write.
    void LoadText(const std::string& fileBytes);
    std::string SaveText();

    std::string producerCode;
    std::string serverAddress;
    std::string serverPostFile;  // the server page the quote is posted to, without a leading "/"
    std::string krnLaunchFile;   // the web page opened after the post, without a leading "/"
    std::string company;
    std::string qqPath;          // folder the settings file is copied into after a Setup save
    std::string vantrelFolder;   // working directory at the last Setup save
    std::string useItcZavezuda;  // "Y" when ticked; anything else counts as not ticked
    std::string raterCode;       // "FSC", "ITC", "MC", "QQ", "AAR", "QUO", "CCI", "QP" or "AUTO"
    std::string productName;     // key of the route lookups

    const std::string& RawValue(int index) const { return rawValues_[index]; }

private:
    // The reader of the file's values, into the raw values emptied first.
    FieldReader StartLoad();
    void FinishLoad();
    void CopyFieldsToRawValues();

    // The fields in file order, so loading and saving walk one list.
    static std::string ImportSettings::*const kFieldsInFileOrder[kValueCount];
    std::string rawValues_[kValueCount];
};

// The settings file, relative to the working directory (the program folder).
inline const char kSettingsFileName[] = "Vantrel.dat";
