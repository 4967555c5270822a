// The fixed-width route row: one customer product per line of text. The built-in rows, the
// extra rows of "PRoute.dat" and the old rows of "Route.dat" all share this layout.
//
//   company      0-19    20 wide
//   raterCode   20-24     5
//   state       25-29     5
//   productName 30-89    60
//   serverUrl   90-189  100
//   browserPath 190 to the end of the row (48 or 50 wide in the built-in rows)
//
// Every column is blank-padded to its width. Row() writes a row, the rest reads one.
#pragma once

#include <cstddef>
#include <string>

namespace route_row {

constexpr std::size_t kCompanyAt = 0, kCompanyWidth = 20;
constexpr std::size_t kRaterCodeAt = 20, kRaterCodeWidth = 5;
constexpr std::size_t kStateAt = 25, kStateWidth = 5;
constexpr std::size_t kProductNameAt = 30, kProductNameWidth = 60;
constexpr std::size_t kServerUrlAt = 90, kServerUrlWidth = 100;
constexpr std::size_t kBrowserPathAt = 190;
constexpr std::size_t kBrowserPathWidth = 50;
constexpr std::size_t kToTheEnd = std::string::npos;

// `value` blank-padded to `width`; a longer value is kept whole.
inline std::string Padded(std::string value, std::size_t width) {
    if (value.size() < width) value.append(width - value.size(), ' ');
    return value;
}

// A row from its six columns, the browser path padded to `browserPathWidth`.
inline std::string Row(const std::string& company, const std::string& raterCode, const std::string& state,
                       const std::string& productName, const std::string& serverUrl, const std::string& browserPath,
                       std::size_t browserPathWidth = kBrowserPathWidth) {
    return Padded(company, kCompanyWidth) + Padded(raterCode, kRaterCodeWidth) + Padded(state, kStateWidth) +
           Padded(productName, kProductNameWidth) + Padded(serverUrl, kServerUrlWidth) +
           Padded(browserPath, browserPathWidth);
}

// Up to `width` characters of `row` from position `at`: as many as the row has, and none
// when the row ends before `at`. Rows come from files and may be cut short anywhere.
inline std::string Column(const std::string& row, std::size_t at, std::size_t width) {
    return at < row.size() ? row.substr(at, width) : std::string();
}

// One column of a split: taken from the row only when the row is at least `minLength`
// long, otherwise the column is left as it was.
template <typename Columns>
struct ColumnSpec {
    std::size_t minLength;
    std::size_t at;
    std::size_t width;
    std::string Columns::*column;
};

template <typename Columns, std::size_t N>
void Split(const std::string& row, const ColumnSpec<Columns> (&specs)[N], Columns& columns) {
    for (const ColumnSpec<Columns>& spec : specs) {
        if (row.size() >= spec.minLength) columns.*spec.column = Column(row, spec.at, spec.width);
    }
}

}  // namespace route_row
