// Data exchange and control objects are the same on every platform: they only use the
// dialog's own item operations.
#include "platform/dialog.h"

namespace platform {

void Control::SetText(const std::string& text) {
    if (dialog_) dialog_->SetItemText(id_, text);
}

std::string Control::Text() const {
    return dialog_ ? dialog_->ItemText(id_) : std::string();
}

void Control::Enable(bool enabled) {
    if (dialog_) dialog_->EnableItem(id_, enabled);
}

void DataExchange::Bind(int controlId, Control& control) {
    control.dialog_ = &dialog_;
    control.id_ = controlId;
}

void DataExchange::Text(int controlId, std::string& value) {
    if (saveAndValidate_) {
        value = dialog_.ItemText(controlId);
    } else {
        dialog_.SetItemText(controlId, value);
    }
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(kIdOk);
}

void Dialog::OnCancel() {
    EndDialog(kIdCancel);
}

bool Dialog::OnCommand(int) {
    return false;
}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return true;
}

}  // namespace platform
