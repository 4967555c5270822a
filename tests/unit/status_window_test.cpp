#include "ui/status_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/route_row.h"
#include "fake_log.h"
#include "platform/clock.h"
#include "platform/fake/state.h"
#include "resource.h"
#include "test_folder.h"

namespace {

using fake::Event;
using fake::EventKind;
using Result = ImportOutcome::Result;

// A route table whose one extra row sends "TEST AUTO" to 127.0.0.1 (extra rows start at
// value 93 of the site file).
std::string SiteFile() {
    std::string text = "LIVE;\r\n";
    for (int value = 2; value <= 92; ++value) text += ";\r\n";
    return text + route_row::Row("TEST MUTUAL", "QQ", "IL", "TEST AUTO", "http://127.0.0.1", "UNDEFINED") + ";\r\n";
}

class StatusWindowTest : public InTestFolder {
protected:
    void SetUp() override {
        InTestFolder::SetUp();
        settings_.serverPostFile = "krn/import.asp";
        settings_.krnLaunchFile = "krn/start.asp";
        settings_.productName = "TEST AUTO";
        WriteBytes("quote.txt", "LINE\n");
    }

    // A QQ import of `file` in the status window.
    ImportOutcome ShowImport(const std::string& file = "quote.txt") {
        const RunRater rater = RunRater::Of(*FindRater("QQ"));
        return StatusDialog::ShowImport({"2.101020", rater, file, settings_, routes_, platform::LocalTime});
    }

    // The log without the pauses of file opens: windows, texts, boxes, posts, the hand-off.
    static std::vector<Event> WithoutFilePauses() {
        return EventsWhere([](const Event& e) { return e.kind != EventKind::kPause || e.milliseconds == 3000; });
    }

    ImportSettings settings_;
    RouteTable routes_{SiteFile()};
};

const char kStartupLink[] = "http://127.0.0.1/krn/start.asp?externalQuoteImportID=202612720565";

Event Progress(const std::string& text) {
    return Event::Text(IDD_STATUS, IDC_STATUS_PROGRESS, text);
}

}  // namespace

TEST_F(StatusWindowTest, OpensOnTheRaterAndTheFilePaintsEveryStepThenHandsOverAndCloses) {
    EXPECT_EQ(ShowImport().result, Result::kTaken);
    EXPECT_EQ(WithoutFilePauses(), (std::vector<Event>{
                                       Event::Create(IDD_STATUS),
                                       Progress("Importing file quote.txt"),
                                       Event::Text(IDD_STATUS, IDC_VERSION, "..."),
                                       Event::Repaint(IDD_STATUS),
                                       Event::Text(IDD_STATUS, IDC_STATUS_RATER, "QQ"),
                                       Event::Show(IDD_STATUS),
                                       Event::Repaint(IDD_STATUS),
                                       Progress("Writing Export Log..."),
                                       Event::Repaint(IDD_STATUS),
                                       Event::Text(IDD_STATUS, IDC_VERSION, "2.101020"),
                                       Event::Repaint(IDD_STATUS),
                                       Progress("Connecting to 127.0.0.1"),
                                       Event::Repaint(IDD_STATUS),
                                       Event::Post("127.0.0.1"),
                                       Progress("Sending Data to 127.0.0.1"),
                                       Event::Repaint(IDD_STATUS),
                                       Event::Send(),
                                       Progress("Import Complete! Opening Web Site 127.0.0.1"),
                                       Event::Repaint(IDD_STATUS),
                                       Event::Pause(3000),
                                       Event::Shell(kStartupLink),
                                       Event::Destroy(IDD_STATUS),
                                   }));
}

TEST_F(StatusWindowTest, NoticesThenTheOutcomesMessagesAreBoxesAndOnlyATakenQuoteIsHandedOverAfterThem) {
    using Outcome = platform::PostResult::Outcome;
    for (const platform::PostResult& answer :
         {platform::PostResult{Outcome::kAnswered, "", 404, "Not Found", ""},
          platform::PostResult{Outcome::kInternetError, "The request has timed out.", 0, "", ""},
          platform::PostResult{Outcome::kAnswered, "", 200, "OK", ""}}) {
        fake::Reset();
        fake::Platform().postResult = answer;
        const ImportOutcome outcome = ShowImport("gone.txt");
        const bool taken = outcome.result == Result::kTaken;
        EXPECT_EQ(taken, answer.statusCode == 200);
        EXPECT_EQ(outcome.Messages().empty(), taken);

        // The notice while the import runs, the outcome's messages once it is over, and the
        // hand-off after them.
        std::vector<Event> expected = {Event::Message("File does not exist gone.txt"), Event::Send()};
        for (const std::string& message : outcome.Messages()) expected.push_back(Event::Message(message));
        if (taken) expected.insert(expected.end(), {Event::Pause(3000), Event::Shell(kStartupLink)});
        expected.push_back(Event::Destroy(IDD_STATUS));
        std::vector<Event> seen = WithoutFilePauses();
        seen.erase(std::remove_if(seen.begin(), seen.end(),
                                  [](const Event& e) {
                                      return e.kind != EventKind::kMessage && e.kind != EventKind::kSend &&
                                             e.kind != EventKind::kPause && e.kind != EventKind::kShell &&
                                             e.kind != EventKind::kDestroy;
                                  }),
                   seen.end());
        EXPECT_EQ(seen, expected) << answer.statusCode;
    }
}

TEST_F(StatusWindowTest, AShellThatCannotOpenTheWebProductIsToldBeforeTheWindowCloses) {
    fake::Platform().shellResult = 2;
    EXPECT_EQ(ShowImport().result, Result::kTaken);
    const std::vector<Event>& events = fake::Platform().events;
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(std::vector<Event>(events.end() - 3, events.end()),
              (std::vector<Event>{Event::Shell(kStartupLink), Event::Message("ERROR-Unable to display web page."),
                                  Event::Destroy(IDD_STATUS)}));
}

TEST_F(StatusWindowTest, ThePasswordDialogIsOwnedByTheStatusWindow) {
    fake::Platform().postAnswers = {
        {platform::PostResult::Outcome::kAnswered, "", 407, "Proxy Authentication Required", ""}};
    fake::Platform().passwordReplies = {true};
    EXPECT_EQ(ShowImport().result, Result::kTaken);
    EXPECT_EQ(EventsOf({EventKind::kSend, EventKind::kPassword}),
              (std::vector<Event>{Event::Send(), Event::Password(IDD_STATUS), Event::Send()}));
}
