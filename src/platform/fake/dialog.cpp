#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "platform/dialog.h"
#include "platform/fake/state.h"

namespace platform {

namespace {
struct FakeControl {
    std::string text;
    std::size_t limit = std::string::npos;
    int check = 0;
    std::vector<std::string> entries;
    int selection = -1;
};

struct FakeWindow {
    std::map<int, FakeControl> controls;
    std::vector<std::pair<int, std::string>> systemMenuCommands;
    int icon = 0;
    int focus = 0;
    bool modal = false;
    bool ended = false;
    int result = kIdCancel;
};

void Record(fake::Event event) {
    fake::Platform().events.push_back(std::move(event));
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
    static FakeControl* Control(const Dialog& dialog, int id) {
        FakeWindow* window = Window(dialog);
        return window ? &window->controls[id] : nullptr;
    }
    static void SysCommand(Dialog& dialog, int id) { dialog.OnSysCommand(id); }
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
    Record(fake::Event::Modal(templateId_));
    DialogHost::Open(*this, true);
    // A copy: the user's script may set the handler for the windows it opens in turn.
    const std::function<void(Dialog&)> user = fake::Platform().onModal;
    if (user) user(*this);
    if (!DialogHost::Window(*this)->ended) OnCancel();
    const int result = DialogHost::Window(*this)->result;
    Record(fake::Event::End(templateId_, result));
    DialogHost::Close(*this);
    return result;
}

bool Dialog::Create() {
    Record(fake::Event::Create(templateId_));
    DialogHost::Open(*this, false);
    return true;
}

void Dialog::Show() {
    Record(fake::Event::Show(templateId_));
}

void Dialog::RepaintNow() {
    Record(fake::Event::Repaint(templateId_));
}

void Dialog::Destroy() {
    Record(fake::Event::Destroy(templateId_));
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
        Record(fake::Event::Text(templateId_, controlId, text));
    }
}

std::string Dialog::ItemText(int controlId) const {
    return fake::ControlText(*this, controlId);
}

void Dialog::FocusItem(int controlId) {
    if (FakeWindow* window = DialogHost::Window(*this)) window->focus = controlId;
}

void Dialog::LimitItemText(int controlId, std::size_t maxChars) {
    if (FakeControl* control = DialogHost::Control(*this, controlId)) control->limit = maxChars;
}

int Dialog::ItemCheck(int controlId) const {
    const FakeControl* control = DialogHost::Control(*this, controlId);
    return control ? control->check : 0;
}

void Dialog::SetItemCheck(int controlId, int state) {
    if (FakeControl* control = DialogHost::Control(*this, controlId)) control->check = state;
}

void Dialog::AddListEntry(int controlId, const std::string& text) {
    if (FakeControl* control = DialogHost::Control(*this, controlId)) control->entries.push_back(text);
}

void Dialog::ClearListEntries(int controlId) {
    if (FakeControl* control = DialogHost::Control(*this, controlId)) control->entries.clear();
}

int Dialog::ListSelection(int controlId) const {
    const FakeControl* control = DialogHost::Control(*this, controlId);
    return control ? control->selection : -1;
}

void Dialog::SetListSelection(int controlId, int index) {
    FakeControl* control = DialogHost::Control(*this, controlId);
    if (!control) return;
    // Like a real list: an index past the entries selects nothing.
    control->selection = index >= 0 && index < static_cast<int>(control->entries.size()) ? index : -1;
}

bool Dialog::AppendSystemMenuCommand(int commandId, const std::string& text) {
    FakeWindow* window = DialogHost::Window(*this);
    if (!window) return false;
    window->systemMenuCommands.emplace_back(commandId, text);
    return true;
}

void Dialog::SetProgramIcon(int iconResourceId) {
    if (FakeWindow* window = DialogHost::Window(*this)) window->icon = iconResourceId;
}

}  // namespace platform

namespace fake {

std::string ControlText(const platform::Dialog& dialog, int controlId) {
    const platform::FakeWindow* window = platform::DialogHost::Window(dialog);
    if (!window) return std::string();
    auto control = window->controls.find(controlId);
    return control == window->controls.end() ? std::string() : control->second.text;
}

void SendCommand(platform::Dialog& dialog, int commandId) {
    platform::DialogHost::Command(dialog, commandId);
}

void SendSysCommand(platform::Dialog& dialog, int commandId) {
    platform::DialogHost::SysCommand(dialog, commandId);
}

void Type(platform::Dialog& dialog, int controlId, const std::string& text) {
    platform::FakeControl* control = platform::DialogHost::Control(dialog, controlId);
    if (control) dialog.SetItemText(controlId, text.substr(0, control->limit));
}

std::vector<std::string> ListEntries(const platform::Dialog& dialog, int controlId) {
    const platform::FakeControl* control = platform::DialogHost::Control(dialog, controlId);
    return control ? control->entries : std::vector<std::string>();
}

std::vector<std::pair<int, std::string>> SystemMenuCommands(const platform::Dialog& dialog) {
    const platform::FakeWindow* window = platform::DialogHost::Window(dialog);
    return window ? window->systemMenuCommands : std::vector<std::pair<int, std::string>>();
}

int ProgramIcon(const platform::Dialog& dialog) {
    const platform::FakeWindow* window = platform::DialogHost::Window(dialog);
    return window ? window->icon : 0;
}

int FocusedControl(const platform::Dialog& dialog) {
    const platform::FakeWindow* window = platform::DialogHost::Window(dialog);
    return window ? window->focus : 0;
}

}  // namespace fake
