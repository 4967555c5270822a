// Data exchange and control objects are the same on every platform: they only use the
// dialog's own item operations.
#include "platform/dialog.h"

#include "platform/message_box.h"

namespace platform {

void Control::SetText(const std::string& text) {
    if (dialog_) dialog_->SetItemText(id_, text);
}

void DataExchange::Bind(int controlId, Control& control) {
    control.dialog_ = &dialog_;
    control.id_ = controlId;
}

void DataExchange::Text(int controlId, std::string& value) {
    if (Skip()) return;
    if (saveAndValidate_) {
        value = dialog_.ItemText(controlId);
    } else {
        dialog_.SetItemText(controlId, value);
    }
}

void DataExchange::Text(int controlId, std::string& value, std::size_t maxChars, const std::string& fieldName) {
    if (Skip()) return;
    if (!saveAndValidate_) {
        dialog_.LimitItemText(controlId, maxChars);
        dialog_.SetItemText(controlId, value);
        return;
    }
    const std::string typed = dialog_.ItemText(controlId);
    if (typed.size() > maxChars) {
        ShowMessage(fieldName + " holds " + std::to_string(typed.size()) + " characters, but at most " +
                    std::to_string(maxChars) + " fit. Please shorten it before saving.");
        dialog_.FocusItem(controlId);
        failed_ = true;
        return;
    }
    value = typed;
}

void DataExchange::Check(int controlId, int& state) {
    if (Skip()) return;
    if (saveAndValidate_) {
        state = dialog_.ItemCheck(controlId);
    } else {
        dialog_.SetItemCheck(controlId, state);
    }
}

void DataExchange::Selection(int controlId, int& index) {
    if (Skip()) return;
    if (saveAndValidate_) {
        index = dialog_.ListSelection(controlId);
    } else {
        dialog_.SetListSelection(controlId, index);
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

bool Dialog::OnSysCommand(int) {
    return false;
}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

}  // namespace platform
