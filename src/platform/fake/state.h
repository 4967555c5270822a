// The scriptable stand-in for the operating system, linked into the native unit tests in
// place of the Win32 layer. Tests set the facts the program asks for and read back what
// it did: the log of its events (windows, message boxes, posts, the shell, pauses), and the
// details the log leaves out (folders made, files copied, the posts' and shell requests'
// every field).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/fake/event.h"
#include "platform/http_post.h"

namespace fake {

struct State {
    std::string appName = "Vantrel";
    std::string arguments;
    std::string modulePath = "C:\\APPS\\VANTREL\\Vantrel.exe";

    std::map<int, std::string> resourceStrings = {{101, "&About Vantrel..."}};

    std::vector<std::string> workingDirectoryRequests;
    std::vector<std::string> createdFolders;
    std::vector<std::pair<std::string, std::string>> copies;  // every file copy asked for

    // Every clock reading takes the next queued reading; when none is queued, `clock`.
    platform::ClockReading clock{2026, 12, 7, 20, 56, 5};
    std::deque<platform::ClockReading> queuedReadings;
    // How far the local clock stands from UTC, given with every zoned reading.
    int utcOffsetMinutes = 0;

    // The monotonic tick. Time passes on it only where the program waits: every pause,
    // every send (sendMilliseconds) and every password dialog (passwordDialogMilliseconds).
    unsigned long long tickMilliseconds = 0;
    unsigned long long sendMilliseconds = 0;
    unsigned long long passwordDialogMilliseconds = 0;
    // The UTC clock, apart from the local one so that its readings leave the queue alone.
    platform::ClockReading utcClock{2026, 12, 8, 2, 56, 5};

    // How many of the coming file replacements fail before they work again.
    int replaceFailures = 0;

    // What the program did, in order: dialog life and control texts, message boxes, posts
    // and their sends, password dialogs, shell requests and pauses.
    std::vector<Event> events;
    int dialogColourRed = -1, dialogColourGreen = -1, dialogColourBlue = -1;
    bool commonControlsRegistered = false;

    // Posts made (each also a kPost event), and what sending them gives: the queued answers
    // in turn, then `postResult` for every further send. Each send that lets the request go
    // out adds a kSend event.
    std::vector<platform::FormPost> posts;
    std::deque<platform::PostResult> postAnswers;
    platform::PostResult postResult{platform::PostResult::Outcome::kAnswered, "", 200, "OK", ""};
    bool postFailsBeforeSend = false;
    // The agent's replies to the password dialog (a kPassword event) in turn: true gives a
    // password, false and an empty queue cancel.
    std::deque<bool> passwordReplies;

    struct ShellRequest {
        std::string file, parameters, directory;
        int showCommand;
    };
    std::vector<ShellRequest> shellRequests;  // each also a kShell event
    long long shellResult = 42;

    // Plays the user while a modal dialog runs, after its initialisation. Returns without
    // ending the dialog means Cancel.
    std::function<void(platform::Dialog&)> onModal;
};

State& Platform();
// Back to a fresh state (every test starts with one).
void Reset();

// Read from the log: the texts of the message boxes shown, and the pauses taken in
// milliseconds, each in order.
std::vector<std::string> Messages();
std::vector<int> Pauses();

// The text a control of a live dialog holds.
std::string ControlText(const platform::Dialog& dialog, int controlId);

// Acts as the user would on a modal dialog: a button or menu command, a system-menu
// command, typing into an edit (cut at the edit's limit, as the edit refuses the rest).
void SendCommand(platform::Dialog& dialog, int commandId);
void SendSysCommand(platform::Dialog& dialog, int commandId);
void Type(platform::Dialog& dialog, int controlId, const std::string& text);

// What a live dialog shows beyond control texts.
std::vector<std::string> ListEntries(const platform::Dialog& dialog, int controlId);
std::vector<std::pair<int, std::string>> SystemMenuCommands(const platform::Dialog& dialog);
int ProgramIcon(const platform::Dialog& dialog);
int FocusedControl(const platform::Dialog& dialog);

}  // namespace fake
