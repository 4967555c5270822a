// The "Import Setup" window, in which the agent edits the settings. It shows the values,
// checks them when Save is pressed (one problem per press, correcting what it can), saves
// them and closes with result 1 once they pass and are saved. Enter in a field does nothing.
#pragma once

#include <functional>

#include "config/setup_check.h"
#include "platform/dialog.h"

class SetupDialog : public platform::Dialog {
public:
    static constexpr int kSaved = 1;

    SetupDialog();

    SetupValues values;
    // The folder a save records as the program's own; checked like the values.
    std::string programFolder;
    // Stores the checked values; false when they could not be written, and the window then
    // stays open with them so that nothing the agent typed is lost.
    std::function<bool(const SetupValues&)> save;

protected:
    void DoDataExchange(platform::DataExchange& dx) override;
    bool OnInitDialog() override;
    // The window has no default button: the OK command that Enter sends is ignored.
    void OnOK() override;
    bool OnCommand(int commandId) override;

private:
    // The Save button.
    void Validate();
};
