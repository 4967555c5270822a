#include "ui/compatibility_dialog.h"

#include "resource.h"

CompatibilityDialog::CompatibilityDialog() : platform::Dialog(IDD_COMPATIBILITY) {}

bool CompatibilityDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    // Read each time the window opens, so changes to the file show at once.
    routeList_.Load();
    FillList();
    return true;
}

void CompatibilityDialog::FillList() {
    ClearListEntries(IDC_COMPATIBILITY_LIST);
    for (int slot = 1; slot <= RouteList::kSlots && !routeList_.Row(slot).company.empty(); ++slot) {
        const RouteListRow& row = routeList_.Row(slot);
        // Columns as stored, blanks included, so aligned rows give aligned entries.
        AddListEntry(IDC_COMPATIBILITY_LIST, row.raterCode + " " + row.state + " " + row.productName);
    }
}
