#include "import_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "test_folder.h"

namespace receiver {
namespace {

const std::string kFscBody =
    "source=Vantrel20&xversion=2.101020&rater=FSC&externalQuoteImportID=202612720565&fileGenName=202612720565.sti"
    "&R0=1,1,1,SMITH&R1=1,1,2,JOHN&R2=2,1,1,2001&R3=2,1,2,FORD&R4=2,1,3,F-150%20(4X4|%20XLT)&R5=1,2,1,DOE%20JR"
    "&R6=1,2,2,(555)%20123-4567|&R7=1,2,3,ONEIL%202&R8=3,1,1,&R9=3,1,2,Y";

const std::string kQqBody =
    "source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=202612720566&fileGenName=202612720566.sti"
    "&R0=ABC%201&R2=XY%2050&R3=ONEIL%202\xC9";

ReceivedPost Post(const std::string& body, const std::string& when = "2026-12-07T20:56:05.123Z") {
    return ReceivedPost{when, "127.0.0.1", "/krn/import.asp", "application/x-www-form-urlencoded", body};
}

std::int64_t Add(ImportStore& store, const std::string& body, const std::string& when = "2026-12-07T20:56:05.123Z") {
    return store.Add(Post(body, when), DecodeForm(body));
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
    const auto found = reopened.FindByExternalId("202612720565");

    ASSERT_EQ(found.size(), 1u);
    const StoredImport& stored = found[0];
    EXPECT_EQ(stored.id, id);
    EXPECT_EQ(stored.post.receivedAt, "2026-12-07T20:56:05.123Z");
    EXPECT_EQ(stored.post.peer, "127.0.0.1");
    EXPECT_EQ(stored.post.path, "/krn/import.asp");
    EXPECT_EQ(stored.post.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(stored.post.body, kFscBody);
    EXPECT_EQ(stored.form.header.source, "Vantrel20");
    EXPECT_EQ(stored.form.header.xversion, "2.101020");
    EXPECT_EQ(stored.form.header.rater, "FSC");
    EXPECT_EQ(stored.form.header.fileGenName, "202612720565.sti");
    EXPECT_EQ(stored.form.encoding, FieldEncoding::Record);
    EXPECT_FALSE(stored.form.Malformed());
    const DecodedForm sent = DecodeForm(kFscBody);
    ASSERT_EQ(stored.form.recordFields.size(), sent.recordFields.size());
    for (std::size_t i = 0; i < sent.recordFields.size(); ++i) {
        const RecordField& a = stored.form.recordFields[i];
        const RecordField& b = sent.recordFields[i];
        EXPECT_EQ(std::tie(a.running, a.record, a.occurrence, a.field, a.value),
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
    const auto found = reopened.FindByExternalId("202612720566");

    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].post.body, kQqBody);
    EXPECT_EQ(found[0].form.encoding, FieldEncoding::Line);
    ASSERT_EQ(found[0].form.lineFields.size(), 3u);
    EXPECT_EQ(found[0].form.lineFields[1].slot, 2);
    EXPECT_EQ(found[0].form.lineFields[1].text, "XY 50");
    EXPECT_EQ(found[0].form.lineFields[2].text, "ONEIL 2\xC9");
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
    const auto list = reopened.ListNewest(10);
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
    EXPECT_EQ(reopened.ListNewest(2).size(), 2u);

    const auto repeated = reopened.FindByExternalId("202612720565");
    ASSERT_EQ(repeated.size(), 2u);
    EXPECT_GT(repeated[0].id, repeated[1].id);

    const auto raw = reopened.FindById(list[2].id);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->post.body, malformed);
    EXPECT_TRUE(raw->form.Malformed());
    EXPECT_EQ(raw->form.Reason(), list[2].malformedReason);
    EXPECT_FALSE(raw->form.header.externalQuoteImportID.has_value());
    ASSERT_EQ(raw->form.lineFields.size(), 1u);
    EXPECT_EQ(raw->form.lineFields[0].text, "A");
}

TEST(ImportStore, UnknownIdentifiersAndNumbersFindNothing) {
    TestFolder folder;
    ImportStore store(folder.File("imports.sqlite"));
    Add(store, kFscBody);

    EXPECT_TRUE(store.FindByExternalId("999").empty());
    EXPECT_TRUE(store.FindByExternalId("").empty());
    EXPECT_FALSE(store.FindById(999).has_value());
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
    const auto found = reopened.FindByExternalId("7");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].form.header.xversion, "");
    EXPECT_FALSE(found[0].form.header.fileGenName.has_value());
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
        for (int i = 0; i < 100; ++i) {
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
        // A trigger makes the third field's insert fail, after the import's own row went in.
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
    EXPECT_TRUE(store.FindByExternalId("202612720565").empty());
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
    EXPECT_THROW(store.ListNewest(1), StoreError);
}

}  // namespace
}  // namespace receiver
