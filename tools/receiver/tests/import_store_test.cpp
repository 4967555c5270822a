#include "import_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "decoded_form.h"
#include "store_readback.h"
#include "sample_posts.h"
#include "test_folder.h"

namespace receiver {
namespace {

const std::string kQqBody =
    "source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=202612720566&fileGenName=202612720566.sti"
    "&R0=ABC%201&R2=XY%2050&R3=ONEIL%202\xC9";

ReceivedPost Post(const std::string& body, const std::string& when = "2026-12-07T20:56:05.123Z") {
    return ReceivedPost{when, "127.0.0.1", "/krn/import.asp", "application/x-www-form-urlencoded", body};
}

std::int64_t Add(ImportStore& store, const std::string& body, const std::string& when = "2026-12-07T20:56:05.123Z") {
    return store.Add(Post(body, when)).id;
}

// Runs one query with plain SQLite, as any other tool reading the file would.
std::int64_t CountRows(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    std::int64_t count = -1;
    if (statement && sqlite3_step(statement) == SQLITE_ROW) {
        count = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

TEST(ImportStore, AnImportReadsBackWholeAfterTheFileIsOpenedAgain) {
    TestFolder folder;
    const std::string path = folder.File("imports.sqlite");
    std::int64_t id = 0;
    {
        ImportStore store(path);
        id = Add(store, kFscBody);
    }
    ImportStore reopened(path);
    const auto found = ReadWholeByExternalId(reopened, "202612720565");

    ASSERT_EQ(found.size(), 1u);
    const ImportExcerpt& stored = found[0];
    EXPECT_EQ(stored.id, id);
    EXPECT_EQ(stored.receivedAt, "2026-12-07T20:56:05.123Z");
    EXPECT_EQ(stored.peer, "127.0.0.1");
    EXPECT_EQ(stored.path.text, "/krn/import.asp");
    EXPECT_EQ(stored.contentType.text, "application/x-www-form-urlencoded");
    EXPECT_EQ(stored.body.text, kFscBody);
    EXPECT_EQ(stored.body.bytes, static_cast<std::int64_t>(kFscBody.size()));
    EXPECT_EQ(stored.header.source->text, "Vantrel20");
    EXPECT_EQ(stored.header.xversion->text, "2.101020");
    EXPECT_EQ(stored.header.rater->text, "FSC");
    EXPECT_EQ(stored.header.fileGenName->text, "202612720565.sti");
    EXPECT_EQ(stored.encoding, FieldEncoding::Record);
    EXPECT_FALSE(stored.malformed);
    const DecodedForm sent = DecodeForm(kFscBody);
    EXPECT_EQ(stored.fieldCount, static_cast<std::int64_t>(sent.recordFields.size()));
    ASSERT_EQ(stored.recordFields.size(), sent.recordFields.size());
    for (std::size_t i = 0; i < sent.recordFields.size(); ++i) {
        const RecordFieldExcerpt& a = stored.recordFields[i];
        const RecordField& b = sent.recordFields[i];
        EXPECT_EQ(std::tie(a.running, a.record, a.occurrence, a.field, a.value.text),
                  std::tie(b.running, b.record, b.occurrence, b.field, b.value))
            << "field " << i;
    }
}

TEST(ImportStore, LineFieldsAndBytesAbove127ReadBack) {
    TestFolder folder;
    const std::string path = folder.File("imports.sqlite");
    {
        ImportStore store(path);
        Add(store, kQqBody);
    }
    ImportStore reopened(path);
    const auto found = ReadWholeByExternalId(reopened, "202612720566");

    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].body.text, kQqBody);
    EXPECT_EQ(found[0].encoding, FieldEncoding::Line);
    ASSERT_EQ(found[0].lineFields.size(), 3u);
    EXPECT_EQ(found[0].lineFields[1].slot, 2);
    EXPECT_EQ(found[0].lineFields[1].text.text, "XY 50");
    EXPECT_EQ(found[0].lineFields[2].text.text, "ONEIL 2\xC9");
}

TEST(ImportStore, KeepsEveryImportMalformedAndRepeatedOnesIncluded) {
    TestFolder folder;
    const std::string path = folder.File("imports.sqlite");
    const std::string malformed = "source=Vantrel20&R0=A&Z9=oops";
    {
        ImportStore store(path);
        Add(store, kFscBody, "2026-12-07T20:56:05.000Z");
        Add(store, malformed, "2026-12-07T20:56:06.000Z");
        Add(store, kFscBody, "2026-12-07T20:56:07.000Z");  // the same identifier again
        Add(store, "", "2026-12-07T20:56:08.000Z");
    }
    ImportStore reopened(path);

    EXPECT_EQ(reopened.Count(), 4);
    const auto list = reopened.ListNewest(10, 100);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].receivedAt, "2026-12-07T20:56:08.000Z");
    EXPECT_EQ(list[3].receivedAt, "2026-12-07T20:56:05.000Z");
    EXPECT_TRUE(list[0].malformed);
    EXPECT_EQ(list[0].bodyBytes, 0);
    EXPECT_EQ(list[1].fieldCount, 10);
    EXPECT_EQ(list[1].bodyBytes, static_cast<std::int64_t>(kFscBody.size()));
    EXPECT_TRUE(list[2].malformed);
    EXPECT_NE(list[2].malformedReason.find("missing header field xversion"), std::string::npos);
    EXPECT_NE(list[2].malformedReason.find("\"Z9=oops\": does not start with R"), std::string::npos);
    EXPECT_FALSE(list[3].malformed);
    EXPECT_EQ(reopened.ListNewest(2, 100).size(), 2u);

    const auto repeated = reopened.ListByExternalId("202612720565", 10, 100);
    ASSERT_EQ(repeated.size(), 2u);
    EXPECT_GT(repeated[0].id, repeated[1].id);
    EXPECT_EQ(reopened.CountByExternalId("202612720565"), 2);
    EXPECT_EQ(reopened.ListByExternalId("202612720565", 1, 100).size(), 1u);

    const auto raw = ReadWhole(reopened, list[2].id);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->body.text, malformed);
    EXPECT_TRUE(raw->malformed);
    EXPECT_EQ(raw->malformedReason, list[2].malformedReason);
    EXPECT_FALSE(raw->header.externalQuoteImportID.has_value());
    ASSERT_EQ(raw->lineFields.size(), 1u);
    EXPECT_EQ(raw->lineFields[0].text.text, "A");
}

TEST(ImportStore, AddSaysWhatWasStoredAndWhyItIsMalformed) {
    TestFolder folder;
    ImportStore store(folder.File("imports.sqlite"));

    const AddedImport first = store.Add(Post(kFscBody));
    const AddedImport second = store.Add(Post("source=Vantrel20&R0=A"));

    EXPECT_EQ(first.id, 1);
    EXPECT_EQ(first.malformedReason, "");
    EXPECT_EQ(second.id, 2);
    EXPECT_EQ(second.malformedReason.rfind("missing header field xversion", 0), 0u) << second.malformedReason;
}

// Many thousands of fields go in through statements of many rows and batches of decoded
// fields; each must land in its place, none twice, none lost, also at the batch edges.
TEST(ImportStore, AnImportOfTensOfThousandsOfFieldsReadsBackInOrder) {
    TestFolder folder;
    ImportStore store(folder.File("imports.sqlite"));
    const int fields = 20011;  // not a multiple of a batch or of a statement's rows
    std::string line = "source=Vantrel20&xversion=2&rater=QQ&externalQuoteImportID=1&fileGenName=1.sti";
    std::string record = "source=Vantrel20&xversion=2&rater=FSC&externalQuoteImportID=2&fileGenName=2.sti";
    for (int i = 0; i < fields; ++i) {
        line += "&R" + std::to_string(i) + "=L" + std::to_string(i);
        record += "&R" + std::to_string(i) + "=" + std::to_string(i % 29) + ",1," + std::to_string(i) + ",V" +
                  std::to_string(i);
    }
    Add(store, line);
    Add(store, record);

    const auto lines = ReadWhole(store, 1);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->fieldCount, fields);
    ASSERT_EQ(lines->lineFields.size(), static_cast<std::size_t>(fields));
    const auto records = ReadWhole(store, 2);
    ASSERT_TRUE(records.has_value());
    EXPECT_EQ(records->fieldCount, fields);
    ASSERT_EQ(records->recordFields.size(), static_cast<std::size_t>(fields));
    for (int i = 0; i < fields; ++i) {
        ASSERT_EQ(lines->lineFields[i].slot, i);
        ASSERT_EQ(lines->lineFields[i].text.text, "L" + std::to_string(i));
        const RecordFieldExcerpt& field = records->recordFields[i];
        ASSERT_EQ(std::tie(field.running, field.record, field.field, field.value.text),
                  std::make_tuple(std::int64_t{i}, std::int64_t{i % 29}, std::int64_t{i}, "V" + std::to_string(i)));
    }
}

TEST(ImportStore, ExcerptsAreCutToTheirLimitsAndFieldsReadARunAtATime) {
    TestFolder folder;
    ImportStore store(folder.File("imports.sqlite"));
    std::string body =
        "source=Vantrel20&xversion=2&rater=QQ&externalQuoteImportID=1&fileGenName=" + std::string(300, 'F');
    for (int i = 0; i < 25; ++i) {
        body += "&R" + std::to_string(i) + "=" + (i == 12 ? std::string(1000, 'V') : "short");
    }
    Add(store, body);

    ExcerptLimits limits;
    limits.firstField = 10;
    limits.fieldCount = 5;
    limits.textBytes = 8;
    limits.bodyBytes = 16;
    const auto excerpt = store.Read(1, limits);

    ASSERT_TRUE(excerpt.has_value());
    EXPECT_EQ(excerpt->fieldCount, 25);
    EXPECT_EQ(excerpt->firstField, 10);
    ASSERT_EQ(excerpt->lineFields.size(), 5u);
    EXPECT_EQ(excerpt->lineFields[0].slot, 10);
    EXPECT_EQ(excerpt->lineFields[2].text.text, "VVVVVVVV");
    EXPECT_EQ(excerpt->lineFields[2].text.bytes, 1000);
    EXPECT_TRUE(excerpt->lineFields[2].text.Cut());
    EXPECT_FALSE(excerpt->lineFields[3].text.Cut());
    EXPECT_EQ(excerpt->header.fileGenName->text, "FFFFFFFF");
    EXPECT_EQ(excerpt->header.fileGenName->bytes, 300);
    EXPECT_EQ(excerpt->header.source->text, "Vantrel2");
    EXPECT_EQ(excerpt->body.text, body.substr(0, 16));
    EXPECT_EQ(excerpt->body.bytes, static_cast<std::int64_t>(body.size()));

    limits.firstField = 24;
    EXPECT_EQ(store.Read(1, limits)->lineFields.size(), 1u);
    limits.firstField = 25;
    EXPECT_TRUE(store.Read(1, limits)->lineFields.empty());

    const auto summaries = store.ListNewest(10, 4);
    ASSERT_EQ(summaries.size(), 1u);
    EXPECT_EQ(summaries[0].header.fileGenName->text, "FFFF");
    EXPECT_EQ(summaries[0].fieldCount, 25);
}

TEST(ImportStore, TheRawBodyReadsBackInPieces) {
    TestFolder folder;
    ImportStore store(folder.File("imports.sqlite"));
    Add(store, kQqBody);
    Add(store, "");

    EXPECT_EQ(store.BodySize(1), static_cast<std::int64_t>(kQqBody.size()));
    std::string pieces;
    for (std::int64_t offset = 0; offset < static_cast<std::int64_t>(kQqBody.size()); offset += 7) {
        pieces += store.ReadBody(1, offset, 7);
    }
    EXPECT_EQ(pieces, kQqBody);
    EXPECT_EQ(store.ReadBody(1, static_cast<std::int64_t>(kQqBody.size()), 7), "");
    EXPECT_EQ(store.BodySize(2), 0);
    EXPECT_EQ(store.ReadBody(2, 0, 7), "");
}

TEST(ImportStore, UnknownIdentifiersAndNumbersFindNothing) {
    TestFolder folder;
    ImportStore store(folder.File("imports.sqlite"));
    Add(store, kFscBody);

    EXPECT_TRUE(store.ListByExternalId("999", 10, 100).empty());
    EXPECT_TRUE(store.ListByExternalId("", 10, 100).empty());
    EXPECT_EQ(store.CountByExternalId("999"), 0);
    EXPECT_FALSE(store.Read(999, ExcerptLimits()).has_value());
    EXPECT_FALSE(store.BodySize(999).has_value());
    EXPECT_THROW(store.ReadBody(999, 0, 10), StoreError);
}

TEST(ImportStore, TheFileIsPlainSqliteForOtherTools) {
    TestFolder folder;
    const std::string path = folder.File("imports.sqlite");
    {
        ImportStore store(path);
        Add(store, kFscBody);
        Add(store, kQqBody);
    }
    EXPECT_EQ(CountRows(path, "SELECT count(*) FROM imports WHERE malformed = 0"), 2);
    EXPECT_EQ(CountRows(path,
                        "SELECT count(*) FROM record_fields WHERE value = 'F-150 (4X4| XLT)' AND "
                        "running_number = 4 AND record_number = 2 AND occurrence = 1 AND field_number = 3"),
              1);
    EXPECT_EQ(CountRows(path, "SELECT count(*) FROM line_fields WHERE slot = 2 AND text = 'XY 50'"), 1);
    EXPECT_EQ(CountRows(path,
                        "SELECT count(*) FROM imports WHERE external_quote_import_id = '202612720566' AND "
                        "encoding = 'Line' AND rater = 'QQ' AND typeof(raw_body) = 'blob'"),
              1);
    EXPECT_EQ(CountRows(path, "PRAGMA user_version"), 1);
    EXPECT_EQ(CountRows(path, "SELECT count(*) FROM pragma_journal_mode WHERE journal_mode = 'wal'"), 1);
}

TEST(ImportStore, AMissingHeaderFieldIsNullAndAnEmptyOneIsEmpty) {
    TestFolder folder;
    const std::string path = folder.File("imports.sqlite");
    {
        ImportStore store(path);
        Add(store, "source=Vantrel20&xversion=&rater=QQ&externalQuoteImportID=7");
    }
    EXPECT_EQ(CountRows(path, "SELECT count(*) FROM imports WHERE xversion = '' AND file_gen_name IS NULL"), 1);
    ImportStore reopened(path);
    const auto found = ReadWholeByExternalId(reopened, "7");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].header.xversion->text, "");
    EXPECT_FALSE(found[0].header.fileGenName.has_value());
}

TEST(ImportStore, RefusesFilesItCannotUse) {
    TestFolder folder;
    EXPECT_THROW(ImportStore(folder.File("no/such/folder/imports.sqlite")), StoreError);

    const std::string notDatabase = folder.File("text.sqlite");
    std::ofstream(notDatabase) << "this is not a database, just text long enough to have a header of its own\n";
    EXPECT_THROW(ImportStore{notDatabase}, StoreError);

    const std::string later = folder.File("later.sqlite");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(later.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA user_version = 2", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    try {
        ImportStore store(later);
        FAIL() << "a file of schema version 2 was taken";
    } catch (const StoreError& error) {
        EXPECT_NE(std::string(error.what()).find("schema version 2"), std::string::npos) << error.what();
    }
}

// Overwrites the file's last page with bytes no page can hold, leaving its first page (and
// with it the schema version) intact.
void DamageLastPage(const std::string& path) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    ASSERT_GT(size, 4 * 4096);
    file.seekp(size - 4096);
    const std::string garbage(4096, '\xff');
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
}

TEST(ImportStore, ADamagedFileIsRefusedAtStart) {
    TestFolder folder;
    const std::string path = folder.File("imports.sqlite");
    {
        ImportStore store(path);
        for (int i = 0; i < 25; ++i) {
            Add(store, kFscBody);
        }
    }
    DamageLastPage(path);

    try {
        ImportStore store(path);
        FAIL() << "a damaged file was taken";
    } catch (const StoreError& error) {
        EXPECT_NE(std::string(error.what()).find("damaged"), std::string::npos) << error.what();
    }
}

// What happened to ImportStore(path) in a child process without the right to write the file
// (root, whom permissions do not stop, becomes "nobody" there first): 0 refused with a
// message saying so, 1 taken, 2 refused for another reason.
int OpenWithoutWriteRight(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(3);
        }
        try {
            ImportStore store(path);
            _exit(1);
        } catch (const StoreError& error) {
            _exit(std::string(error.what()).find("cannot be written") != std::string::npos ? 0 : 2);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ImportStore, AFileThatCannotBeWrittenIsRefusedAtStart) {
    TestFolder folder;
    const std::string path = folder.File("imports.sqlite");
    {
        ImportStore store(path);
        Add(store, kFscBody);
    }
    ASSERT_EQ(chmod(std::filesystem::path(path).parent_path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);

    EXPECT_EQ(OpenWithoutWriteRight(path), 0);
}

TEST(ImportStore, AWriteThatFailsHalfwayLeavesNothingBehind) {
    TestFolder folder;
    const std::string path = folder.File("imports.sqlite");
    {
        ImportStore store(path);
        Add(store, kQqBody);
    }
    {
        // A trigger makes the third field's insert fail, after the first two went in.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TRIGGER refuse BEFORE INSERT ON record_fields WHEN NEW.value = '2001' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    ImportStore store(path);
    EXPECT_THROW(Add(store, kFscBody), StoreError);

    EXPECT_EQ(store.Count(), 1);
    EXPECT_TRUE(store.ListByExternalId("202612720565", 10, 100).empty());
    EXPECT_EQ(CountRows(path, "SELECT count(*) FROM record_fields"), 0);
    // And the store goes on working.
    EXPECT_NO_THROW(Add(store, kQqBody));
    EXPECT_EQ(store.Count(), 2);
}

TEST(ImportStore, AClosedStoreRefusesWork) {
    TestFolder folder;
    ImportStore store(folder.File("imports.sqlite"));
    store.Close();

    EXPECT_THROW(Add(store, kFscBody), StoreError);
    EXPECT_THROW(store.ListNewest(1, 100), StoreError);
    EXPECT_THROW(store.Read(1, ExcerptLimits()), StoreError);
}

}  // namespace
}  // namespace receiver
