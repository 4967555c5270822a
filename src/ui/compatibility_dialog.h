// The "Import Current Compatibility - SECURED ROUTES" window: lists the rows of the old
// route file "Route.dat" by rater code, state and product name. It changes nothing.
#pragma once

#include "config/route_list.h"
#include "platform/dialog.h"

class CompatibilityDialog : public platform::Dialog {
public:
    CompatibilityDialog();

    // Fills the list box with one entry per route-list row, up to the first row without a
    // company. The list box sorts its entries itself.
    void FillList();

protected:
    bool OnInitDialog() override;

private:
    RouteList routeList_;
};
