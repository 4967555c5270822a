#include <map>

#include "platform/dialog.h"
#include "platform/fake/fake_platform.h"

namespace platform {

namespace {
struct FakeControl {
    std::string text;
    bool enabled = true;
};

struct FakeWindow {
    std::map<int, FakeControl> controls;
    bool modal = false;
    bool ended = false;
    int result = kIdCancel;
};

void Record(const Dialog& dialog, const std::string& what) {
    fake::Platform().events.push_back(what + " " + std::to_string(dialog.TemplateId()));
}
}  // namespace

struct DialogHost {
    static FakeWindow* Window(const Dialog& dialog) { return static_cast<FakeWindow*>(dialog.window_); }
    static void Open(Dialog& dialog, bool modal) {
        auto* window = new FakeWindow;
        window->modal = modal;
        dialog.window_ = window;
        dialog.OnInitDialog();
    }
    static void Close(Dialog& dialog) {
        delete Window(dialog);
        dialog.window_ = nullptr;
    }
    static void Command(Dialog& dialog, int id) {
        if (id == kIdOk) {
            dialog.OnOK();
        } else if (id == kIdCancel) {
            dialog.OnCancel();
        } else {
            dialog.OnCommand(id);
        }
    }
};

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
    DialogHost::Close(*this);
}

int Dialog::DoModal() {
    Record(*this, "modal");
    DialogHost::Open(*this, true);
    if (fake::Platform().onModal) fake::Platform().onModal(*this);
    if (!DialogHost::Window(*this)->ended) OnCancel();
    const int result = DialogHost::Window(*this)->result;
    fake::Platform().events.push_back("end " + std::to_string(templateId_) + " " + std::to_string(result));
    DialogHost::Close(*this);
    return result;
}

bool Dialog::Create() {
    Record(*this, "create");
    DialogHost::Open(*this, false);
    return true;
}

void Dialog::Show() {
    Record(*this, "show");
}

void Dialog::RepaintNow() {
    Record(*this, "repaint");
}

void Dialog::Destroy() {
    Record(*this, "destroy");
    DialogHost::Close(*this);
}

void Dialog::EndDialog(int result) {
    if (FakeWindow* window = DialogHost::Window(*this)) {
        window->ended = true;
        window->result = result;
    }
}

void Dialog::SetItemText(int controlId, const std::string& text) {
    if (FakeWindow* window = DialogHost::Window(*this)) {
        window->controls[controlId].text = text;
        Record(*this, "text");
        fake::Platform().events.back() += " " + std::to_string(controlId) + " " + text;
    }
}

std::string Dialog::ItemText(int controlId) const {
    return fake::ControlText(*this, controlId);
}

void Dialog::EnableItem(int controlId, bool enabled) {
    if (FakeWindow* window = DialogHost::Window(*this)) window->controls[controlId].enabled = enabled;
}

}  // namespace platform

namespace fake {

std::string ControlText(const platform::Dialog& dialog, int controlId) {
    const platform::FakeWindow* window = platform::DialogHost::Window(dialog);
    if (!window) return std::string();
    auto control = window->controls.find(controlId);
    return control == window->controls.end() ? std::string() : control->second.text;
}

bool ControlEnabled(const platform::Dialog& dialog, int controlId) {
    const platform::FakeWindow* window = platform::DialogHost::Window(dialog);
    if (!window) return false;
    auto control = window->controls.find(controlId);
    return control == window->controls.end() || control->second.enabled;
}

void SendCommand(platform::Dialog& dialog, int commandId) {
    platform::DialogHost::Command(dialog, commandId);
}

}  // namespace fake
