#include "window_watch.h"

#include <algorithm>
#include <map>
#include <utility>

#include "run_clock.h"
#include "window_info.h"

namespace ui_driver {

namespace {

constexpr DWORD kPollMs = 50;     // window polling period
constexpr DWORD kSettleMs = 150;  // a dialog must be visible this long before it is handled

struct Seen {
    ULONGLONG since;
    unsigned long long order;
    bool handled;
    bool wasDisabled = false;  // handled, then disabled by a window it opened
};

}  // namespace

Flow WatchWindows(DWORD pid, std::vector<Rule>& rules) {
    std::map<HWND, Seen> seen;
    unsigned long long order = 0;
    Flow flow = Flow::kContinue;

    while (flow == Flow::kContinue) {
        if (ChildExited()) {
            flow = Flow::kChildExited;
            break;
        }
        if (RemainingMs() == 0) {
            flow = Flow::kTimedOut;
            break;
        }
        std::vector<HWND> visible = ChildTopWindows(pid, true);
        ULONGLONG now = Now();
        for (HWND h : visible)
            if (seen.find(h) == seen.end()) seen[h] = Seen{now, order++, false};
        for (auto it = seen.begin(); it != seen.end();) {
            bool gone = !IsWindow(it->first);
            bool hiddenBeforeHandled = !it->second.handled && !IsWindowVisible(it->first);
            if (gone || hiddenBeforeHandled)
                it = seen.erase(it);
            else
                ++it;
        }
        std::vector<std::pair<unsigned long long, HWND>> ready;
        for (auto& kv : seen)
            if (!kv.second.handled && now - kv.second.since >= kSettleMs) ready.emplace_back(kv.second.order, kv.first);
        std::sort(ready.begin(), ready.end());
        for (auto& r : ready) {
            HWND h = r.second;
            if (!IsWindow(h) || !IsWindowVisible(h)) {
                seen.erase(h);
                continue;
            }
            seen[h].handled = true;
            flow = HandleWindow(h, rules, false);
            if (flow != Flow::kContinue) break;
        }
        // Handled windows that come back once the window they opened has closed.
        for (auto& kv : seen) {
            if (flow != Flow::kContinue || !kv.second.handled || !IsWindow(kv.first)) continue;
            const bool enabled = IsWindowEnabled(kv.first) != FALSE;
            if (!enabled) {
                kv.second.wasDisabled = true;
            } else if (kv.second.wasDisabled) {
                kv.second.wasDisabled = false;
                flow = HandleWindow(kv.first, rules, true);
            }
        }
        if (flow != Flow::kContinue) break;
        flow = Pause(kPollMs);
    }
    return flow;
}

}  // namespace ui_driver
