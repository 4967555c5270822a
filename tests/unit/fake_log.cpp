#include "fake_log.h"

#include <algorithm>

std::vector<fake::Event> EventsWhere(const std::function<bool(const fake::Event&)>& keep) {
    std::vector<fake::Event> events;
    for (const fake::Event& event : fake::Platform().events) {
        if (keep(event)) events.push_back(event);
    }
    return events;
}

std::vector<fake::Event> EventsOf(std::initializer_list<fake::EventKind> kinds) {
    return EventsWhere(
        [&](const fake::Event& e) { return std::find(kinds.begin(), kinds.end(), e.kind) != kinds.end(); });
}

std::vector<fake::Event> EventsBesidesPauses() {
    return EventsWhere([](const fake::Event& e) { return e.kind != fake::EventKind::kPause; });
}

std::vector<std::string> TextsShown(int window, int control) {
    std::vector<std::string> texts;
    for (const fake::Event& e : EventsOf({fake::EventKind::kText})) {
        if (e.window == window && e.control == control) texts.push_back(e.text);
    }
    return texts;
}
