// One entry of the fake platform's log: what the program did to the screen, the network,
// the shell or the clock, in the order it did it. Tests compare whole events, so each
// builder below sets only the fields its kind uses and leaves the others at their zeros.
#pragma once

#include <ostream>
#include <string>
#include <utility>

namespace fake {

enum class EventKind {
    kCreate,    // a modeless dialog was made
    kShow,      // shown with the normal show command
    kRepaint,   // painted at once
    kDestroy,   // a modeless dialog was destroyed
    kModal,     // a modal dialog started
    kEnd,       // a modal dialog ended, with its result
    kText,      // a control's text was set
    kMessage,   // a message box was shown and dismissed
    kPost,      // a post's request was opened
    kSend,      // a request let its body go out
    kPassword,  // the system's password dialog was asked for
    kShell,     // the shell was asked to open a file or address
    kPause,     // the program slept
};

struct Event {
    EventKind kind = EventKind::kCreate;
    int window = 0;        // the dialog's template id; for kPassword the dialog that owns it
    int control = 0;       // kText: the control's id
    std::string text;      // kText: the new text; kMessage: the box's text; kPost: the host; kShell: the file
    bool secure = false;   // kPost: over TLS
    int result = 0;        // kEnd: the modal result
    int milliseconds = 0;  // kPause: how long

    static Event Create(int window) { return Of(EventKind::kCreate, window); }
    static Event Show(int window) { return Of(EventKind::kShow, window); }
    static Event Repaint(int window) { return Of(EventKind::kRepaint, window); }
    static Event Destroy(int window) { return Of(EventKind::kDestroy, window); }
    static Event Modal(int window) { return Of(EventKind::kModal, window); }
    static Event End(int window, int result) { return Of(EventKind::kEnd, window, 0, "", false, result); }
    static Event Text(int window, int control, std::string text) {
        return Of(EventKind::kText, window, control, std::move(text));
    }
    static Event Message(std::string text) { return Of(EventKind::kMessage, 0, 0, std::move(text)); }
    static Event Post(std::string host, bool secure = false) {
        return Of(EventKind::kPost, 0, 0, std::move(host), secure);
    }
    static Event Send() { return Of(EventKind::kSend); }
    static Event Password(int owner) { return Of(EventKind::kPassword, owner); }
    static Event Shell(std::string file) { return Of(EventKind::kShell, 0, 0, std::move(file)); }
    static Event Pause(int milliseconds) { return Of(EventKind::kPause, 0, 0, "", false, 0, milliseconds); }

private:
    static Event Of(EventKind kind, int window = 0, int control = 0, std::string text = "", bool secure = false,
                    int result = 0, int milliseconds = 0) {
        Event event;
        event.kind = kind;
        event.window = window;
        event.control = control;
        event.text = std::move(text);
        event.secure = secure;
        event.result = result;
        event.milliseconds = milliseconds;
        return event;
    }
};

bool operator==(const Event& a, const Event& b);
inline bool operator!=(const Event& a, const Event& b) {
    return !(a == b);
}

// As the log reads: "text 133 1004 \"Sending Data to q.test\"", "post https://q.test",
// "end 102 2", "pause 50".
std::ostream& operator<<(std::ostream& out, const Event& event);

}  // namespace fake
