// What the import shows and asks on its way, whoever shows it: the status window for a
// rater's start, a recorder in the tests.
#pragma once

#include <string>

#include "platform/http_post.h"

class ImportProgress {
public:
    // The progress line. Shown at once: the import blocks the only thread, so nothing
    // repaints by itself.
    virtual void ShowProgress(const std::string& text) = 0;
    // The version label, shown at once.
    virtual void ShowVersion(const std::string& text) = 0;
    // Something the agent must read before the import goes on, such as an export file that
    // is not there; the import waits until it was read.
    virtual void ShowNotice(const std::string& text) = 0;
    // A proxy or the server asked for a password before it takes `request`. True when the
    // agent gave one and the request is to go again.
    [[nodiscard]] virtual bool AskForPassword(platform::FormRequest& request) = 0;

protected:
    ~ImportProgress() = default;
};
