#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/tls_hosts.h"
#include "platform/fake/state.h"
#include "support/text_file.h"
#include "test_folder.h"

namespace {

// 2026-12-08T02:56:05Z
constexpr UtcSeconds kNow = 1796698565;

std::string Hosts(const KnownTlsHosts& hosts) {
    std::string listed;
    for (const TlsHostEntry& entry : hosts.Entries()) listed += entry.value + "|";
    return listed;
}

}  // namespace

TEST(TlsHostsTest, AFileReadsAndIsWrittenBackByteForByte) {
    const std::string file =
        "quotes.example.com 2027-12-09T17:11:38Z;\r\n"
        "Rates.Example.NET always;\r\n"
        "10.0.0.7 2026-12-08T02:56:06Z;\r\n";
    const KnownTlsHosts hosts = KnownTlsHosts::Parse(file);
    ASSERT_EQ(hosts.Entries().size(), 3u);
    EXPECT_EQ(hosts.Entries()[0].host, "quotes.example.com");
    EXPECT_EQ(hosts.Entries()[0].knownUntil, 1828372298);
    EXPECT_FALSE(hosts.Entries()[0].always);
    EXPECT_EQ(hosts.Entries()[1].host, "Rates.Example.NET");
    EXPECT_TRUE(hosts.Entries()[1].always);
    EXPECT_EQ(hosts.Format(kNow), file);
}

TEST(TlsHostsTest, DamagedValuesCountForNothingAndTheOthersStillCount) {
    const KnownTlsHosts hosts = KnownTlsHosts::Parse(
        "a.test always;\r\n"
        "b.test;\r\n"                         // no time
        "c.test  always;\r\n"                 // two spaces
        " always;\r\n"                        // no host
        "d.test sometimes;\r\n"               // neither a time nor "always"
        "e.test 2027-02-30T00:00:00Z;\r\n"    // no such day
        "f.test 2027-12-09T17:11:38Z x;\r\n"  // more after the time
        "g.test\t2027-12-09T17:11:38Z;\r\n"   // a tab for the space
        "half a value\r\n"                    // a line without its separator
        "h.test 2027-12-09T17:11:38Z;\r\n"
        "i.test always");  // text after the last separator
    EXPECT_EQ(Hosts(hosts), "a.test always|h.test 2027-12-09T17:11:38Z|");
    EXPECT_TRUE(hosts.IsKnown("h.test", kNow));
    EXPECT_FALSE(hosts.IsKnown("i.test", kNow));
    // Binary rubbish: nothing, and no harm.
    EXPECT_TRUE(KnownTlsHosts::Parse(std::string("\0\xff;\r\n;;\n\r;", 10)).Entries().empty());
}

TEST(TlsHostsTest, AHostIsKnownUntilItsTimeIgnoringCase) {
    const KnownTlsHosts hosts = KnownTlsHosts::Parse(
        "Quotes.Example.com 2026-12-08T02:56:06Z;\r\nrates.example.net always;\r\nold.test 2020-01-01T00:00:00Z;\r\n");
    EXPECT_TRUE(hosts.IsKnown("QUOTES.EXAMPLE.COM", kNow));
    EXPECT_TRUE(hosts.IsKnown("quotes.example.com", kNow));
    EXPECT_FALSE(hosts.IsKnown("quotes.example.com", kNow + 1));  // its time has come
    EXPECT_FALSE(hosts.IsKnown("www.quotes.example.com", kNow));  // only the exact host
    EXPECT_FALSE(hosts.IsKnown("example.com", kNow));
    EXPECT_TRUE(hosts.IsKnown("Rates.Example.Net", kLatestUtcSeconds));
    EXPECT_FALSE(hosts.IsKnown("old.test", kNow));
    // Entries whose time has passed are left out of the next file.
    EXPECT_EQ(hosts.Format(kNow + 1), "rates.example.net always;\r\n");
}

TEST(TlsHostsTest, OneEntryPerHostAndAlwaysStaysAlways) {
    KnownTlsHosts hosts = KnownTlsHosts::Parse(
        "a.test 2027-01-01T00:00:00Z;\r\nB.test always;\r\nc.test 2027-01-01T00:00:00Z;\r\n"
        "A.TEST 2028-01-01T00:00:00Z;\r\n");

    // Known again: the first entry of the host takes the new time, in its place; any other
    // entry of it goes.
    EXPECT_TRUE(hosts.KnowUntil("a.TEST", kNow + 600));
    EXPECT_EQ(Hosts(hosts), "a.TEST 2026-12-08T03:06:05Z|B.test always|c.test 2027-01-01T00:00:00Z|");
    EXPECT_FALSE(hosts.KnowUntil("a.TEST", kNow + 600)) << "the same entry again is no change";

    EXPECT_FALSE(hosts.KnowUntil("b.test", kNow + 600));
    EXPECT_FALSE(hosts.KnowAlways("b.test"));
    EXPECT_TRUE(hosts.KnowAlways("c.test"));
    EXPECT_TRUE(hosts.KnowUntil("new.test", kLatestUtcSeconds + 5));
    EXPECT_EQ(Hosts(hosts), "a.TEST 2026-12-08T03:06:05Z|B.test always|c.test always|new.test 9999-12-31T23:59:59Z|");

    EXPECT_TRUE(hosts.Forget("b.TEST"));  // "always" entries too
    EXPECT_FALSE(hosts.Forget("b.test"));
    EXPECT_FALSE(hosts.Forget("nowhere.test"));
    EXPECT_EQ(Hosts(hosts), "a.TEST 2026-12-08T03:06:05Z|c.test always|new.test 9999-12-31T23:59:59Z|");

    // A host no value could give back is not taken.
    for (const char* host : {"", "two words", "semi;colon", "tab\there"}) {
        EXPECT_FALSE(hosts.KnowUntil(host, kNow + 600)) << host;
        EXPECT_FALSE(hosts.KnowAlways(host)) << host;
    }
    EXPECT_EQ(hosts.Entries().size(), 3u);
}

class TlsHostsFileTest : public InTestFolder {
protected:
    void TearDown() override {
        // One try, no pause, nothing told: the file is only a memory.
        EXPECT_TRUE(fake::Pauses().empty());
        EXPECT_EQ(fake::Messages(), std::vector<std::string>());
        InTestFolder::TearDown();
    }
};

TEST_F(TlsHostsFileTest, TheFileIsReadAndRewrittenWithTheEntriesStillKnown) {
    const std::string file =
        "keep.test always;\r\nOdd.Case.test 2027-12-09T17:11:38Z;\r\nold.test 2026-12-08T02:56:05Z;\r\n";
    WriteBytes(kTlsHostsFile, file);
    KnownTlsHosts hosts = ReadTlsHosts(kTlsHostsFile);
    EXPECT_EQ(hosts.Format(kNow - 1), file);

    ASSERT_TRUE(hosts.KnowUntil("new.test", kNow + 600));
    ASSERT_TRUE(WriteTlsHosts(kTlsHostsFile, hosts, kNow));
    EXPECT_EQ(ReadBytes(kTlsHostsFile),
              "keep.test always;\r\nOdd.Case.test 2027-12-09T17:11:38Z;\r\nnew.test 2026-12-08T03:06:05Z;\r\n");
    EXPECT_FALSE(std::filesystem::exists(std::string(kTlsHostsFile) + ".tmp"));

    // The last entry gone, the file goes.
    hosts = ReadTlsHosts(kTlsHostsFile);
    hosts.Forget("keep.test");
    hosts.Forget("odd.case.test");
    ASSERT_TRUE(WriteTlsHosts(kTlsHostsFile, hosts, kNow));
    EXPECT_EQ(ReadBytes(kTlsHostsFile), "new.test 2026-12-08T03:06:05Z;\r\n");
    ASSERT_TRUE(WriteTlsHosts(kTlsHostsFile, hosts, kNow + 600));
    EXPECT_FALSE(std::filesystem::exists(kTlsHostsFile));
}

TEST_F(TlsHostsFileTest, AFileThatCannotBeReadHoldsNoHosts) {
    EXPECT_TRUE(ReadTlsHosts(kTlsHostsFile).Entries().empty());  // none yet
    std::filesystem::create_directory(kTlsHostsFile);            // a folder of that name
    EXPECT_TRUE(ReadTlsHosts(kTlsHostsFile).Entries().empty());
}

TEST_F(TlsHostsFileTest, AFileThatCannotBeWrittenStaysAsItWas) {
    const std::string file = "keep.test always;\r\n";
    WriteBytes(kTlsHostsFile, file);
    KnownTlsHosts hosts = ReadTlsHosts(kTlsHostsFile);
    hosts.KnowUntil("new.test", kNow + 600);

    // Held open by another program, so it cannot be replaced: one try, and not written into.
    fake::Platform().replaceFailures = 1;
    EXPECT_FALSE(WriteTlsHosts(kTlsHostsFile, hosts, kNow));
    EXPECT_EQ(ReadBytes(kTlsHostsFile), file);
    EXPECT_FALSE(std::filesystem::exists(std::string(kTlsHostsFile) + ".tmp"));

    // No temporary file can be made beside it.
    std::filesystem::create_directory(std::string(kTlsHostsFile) + ".tmp");
    EXPECT_FALSE(WriteTlsHosts(kTlsHostsFile, hosts, kNow));
    EXPECT_EQ(ReadBytes(kTlsHostsFile), file);
}
