// A thin dialog class in the shape of the classic framework dialog: modal and modeless
// creation from a resource template, data exchange between members and controls, and
// virtual handlers for initialisation, OK, Cancel and commands. The real implementation
// is plain Win32; the fake twin keeps control texts in memory and records what happens.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

class Dialog;

// Results of a modal run, and the ids of the standard buttons.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// A control of a dialog, reached by its id once data exchange has bound it.
class Control {
public:
    void SetText(const std::string& text);

private:
    friend class DataExchange;
    Dialog* dialog_ = nullptr;
    int id_ = 0;
};

// One run of data exchange: towards the controls, or back into the members. Reading back
// stops at the first value that fails its check; the run has then failed.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate) : dialog_(dialog), saveAndValidate_(saveAndValidate) {}

    bool SaveAndValidate() const { return saveAndValidate_; }
    bool Failed() const { return failed_; }

    void Bind(int controlId, Control& control);
    void Text(int controlId, std::string& value);
    // An edit that takes at most `maxChars` characters. Typing beyond it is refused; a
    // longer value put there from elsewhere is shown whole, and reading it back fails with
    // a warning that names the field, with the focus on the edit.
    void Text(int controlId, std::string& value, std::size_t maxChars, const std::string& fieldName);
    // A check box: 0 cleared, 1 ticked.
    void Check(int controlId, int& state);
    // The selected entry of a drop-down list, -1 for none.
    void Selection(int controlId, int& index);

private:
    bool Skip() const { return saveAndValidate_ && failed_; }

    Dialog& dialog_;
    bool saveAndValidate_;
    bool failed_ = false;
};

class Dialog {
public:
    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally, owned by the thread's active window if there is one; returns
    // the result given to EndDialog.
    int DoModal();

    // Creates the dialog without owner and without running it; false when it cannot be made.
    [[nodiscard]] bool Create();
    // Shows a created dialog with the normal show command.
    void Show();
    // Paints the dialog at once, without waiting for the message queue.
    void RepaintNow();
    void Destroy();

    // Exchanges data with the controls; false when reading them back failed.
    bool UpdateData(bool saveAndValidate);

    void SetItemText(int controlId, const std::string& text);
    std::string ItemText(int controlId) const;
    void FocusItem(int controlId);
    void LimitItemText(int controlId, std::size_t maxChars);
    int ItemCheck(int controlId) const;
    void SetItemCheck(int controlId, int state);

    // Drop-down lists and list boxes: their entries and the selected one (-1 for none).
    void AddListEntry(int controlId, const std::string& text);
    void ClearListEntries(int controlId);
    int ListSelection(int controlId) const;
    void SetListSelection(int controlId, int index);

    // Appends a separator and a command to the system menu; false without a system menu.
    bool AppendSystemMenuCommand(int commandId, const std::string& text);
    // Sets the icon resource as the window's large and small icon; the dialog then also
    // draws it centred while minimised and offers it when dragged minimised.
    void SetProgramIcon(int iconResourceId);

    int TemplateId() const { return templateId_; }

protected:
    virtual void DoDataExchange(DataExchange& dx);
    // Runs the data exchange towards the controls. True lets the system place the focus.
    virtual bool OnInitDialog();
    // Reads the controls back and ends the dialog with kIdOk.
    virtual void OnOK();
    // Ends the dialog with kIdCancel.
    virtual void OnCancel();
    // A command other than OK and Cancel; false leaves it to the default handling.
    virtual bool OnCommand(int commandId);
    // A system-menu command; false leaves it to the default handling (move, size, close).
    virtual bool OnSysCommand(int commandId);

    void EndDialog(int result);

private:
    friend struct DialogHost;  // the platform side that calls the handlers
    int templateId_;
    void* window_ = nullptr;
    void* icon_ = nullptr;
};

}  // namespace platform
