#include "config/route_list.h"

#include <utility>

#include "config/route_row.h"
#include "config/tove_folder.h"
#include "support/text_file.h"

namespace {

using route_row::ColumnSpec;

// A column is taken only from a row at least this long; a shorter row leaves it empty.
// The remainder is asked of a 65-character row but starts at 90, so such a row gives an
// empty remainder.
constexpr ColumnSpec<RouteListRow> kColumns[] = {
    {20, route_row::kCompanyAt, route_row::kCompanyWidth, &RouteListRow::company},
    {25, route_row::kRaterCodeAt, route_row::kRaterCodeWidth, &RouteListRow::raterCode},
    {30, route_row::kStateAt, route_row::kStateWidth, &RouteListRow::state},
    {60, route_row::kProductNameAt, route_row::kProductNameWidth, &RouteListRow::productName},
    {65, route_row::kServerUrlAt, route_row::kToTheEnd, &RouteListRow::remainder},
};

constexpr char kLocalRouteFile[] = "Route.dat";

}  // namespace

RouteList::RouteList(RunRater rater, std::string programName) : rater_(rater), programName_(std::move(programName)) {
    Load();
}

std::string RouteList::RouteFilePath() const {
    const bool toveProduct = rater_.UsesProgramFolder() && IsToveProgram(programName_);
    return toveProduct ? InToveFolder(kLocalRouteFile) : kLocalRouteFile;
}

void RouteList::Load() {
    for (int slot = 0; slot <= kSlots; ++slot) {
        rawRows_[slot].clear();
        rows_[slot] = RouteListRow();
    }
    // Kept: a route list that cannot be read stays empty, without a word; only the
    // Compatibility window shows it.
    static_cast<void>(ReadFields(RouteFilePath(), ';', rawRows_ + 1, kSlots));
    for (int slot = 1; slot <= kSlots; ++slot) route_row::Split(rawRows_[slot], kColumns, rows_[slot]);
}
