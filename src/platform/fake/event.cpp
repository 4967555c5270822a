#include "platform/fake/event.h"

#include <tuple>

namespace fake {

namespace {

const char* KindName(EventKind kind) {
    switch (kind) {
        case EventKind::kCreate:
            return "create";
        case EventKind::kShow:
            return "show";
        case EventKind::kRepaint:
            return "repaint";
        case EventKind::kDestroy:
            return "destroy";
        case EventKind::kModal:
            return "modal";
        case EventKind::kEnd:
            return "end";
        case EventKind::kText:
            return "text";
        case EventKind::kMessage:
            return "message";
        case EventKind::kPost:
            return "post";
        case EventKind::kSend:
            return "send";
        case EventKind::kPassword:
            return "password";
        case EventKind::kShell:
            return "shell";
        case EventKind::kPause:
            return "pause";
    }
    return "unknown";
}

auto Fields(const Event& e) {
    return std::tie(e.kind, e.window, e.control, e.text, e.secure, e.result, e.milliseconds);
}

}  // namespace

bool operator==(const Event& a, const Event& b) {
    return Fields(a) == Fields(b);
}

std::ostream& operator<<(std::ostream& out, const Event& event) {
    out << KindName(event.kind);
    switch (event.kind) {
        case EventKind::kCreate:
        case EventKind::kShow:
        case EventKind::kRepaint:
        case EventKind::kDestroy:
        case EventKind::kModal:
        case EventKind::kPassword:
            return out << ' ' << event.window;
        case EventKind::kEnd:
            return out << ' ' << event.window << ' ' << event.result;
        case EventKind::kText:
            return out << ' ' << event.window << ' ' << event.control << " \"" << event.text << '"';
        case EventKind::kMessage:
        case EventKind::kShell:
            return out << " \"" << event.text << '"';
        case EventKind::kPost:
            return out << ' ' << (event.secure ? "https://" : "") << event.text;
        case EventKind::kSend:
            return out;
        case EventKind::kPause:
            return out << ' ' << event.milliseconds;
    }
    return out;
}

}  // namespace fake
