// A thin dialog class in the shape of the classic framework dialog: modal and modeless
// creation from a resource template, data exchange between members and controls, and
// virtual handlers for initialisation, OK, Cancel and commands. The real implementation
// is plain Win32; the fake twin keeps control texts in memory and records what happens.
#pragma once

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
    std::string Text() const;
    void Enable(bool enabled);
    bool IsBound() const { return dialog_ != nullptr; }

private:
    friend class DataExchange;
    Dialog* dialog_ = nullptr;
    int id_ = 0;
};

// One run of data exchange: towards the controls, or back into the members.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate) : dialog_(dialog), saveAndValidate_(saveAndValidate) {}

    bool SaveAndValidate() const { return saveAndValidate_; }
    void Bind(int controlId, Control& control);
    void Text(int controlId, std::string& value);

private:
    Dialog& dialog_;
    bool saveAndValidate_;
};

class Dialog {
public:
    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns the result given to EndDialog.
    int DoModal();

    // Creates the dialog without owner and without running it; false when it cannot be made.
    bool Create();
    // Shows a created dialog with the normal show command.
    void Show();
    // Paints the dialog at once, without waiting for the message queue.
    void RepaintNow();
    void Destroy();

    // Exchanges data with the controls; false when reading them back failed.
    bool UpdateData(bool saveAndValidate);

    void SetItemText(int controlId, const std::string& text);
    std::string ItemText(int controlId) const;
    void EnableItem(int controlId, bool enabled);

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

    void EndDialog(int result);

private:
    friend struct DialogHost;  // the platform side that calls the handlers
    int templateId_;
    void* window_ = nullptr;
};

}  // namespace platform
