#include "history/download_list.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace history {

namespace {

// Figures shown to a person: the decimals the gauge's values have, and this many more.
constexpr int kExtraDecimals = 2;
constexpr int kMostDecimals = 10;
constexpr int kCpkDecimals = 2;

std::string fixed(double value, int decimals) {
    char text[64];
    return {text,
            std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr};
}

// The decimals of the value's shortest fixed form: 12.0007 has 4.
int decimalsOf(double value) {
    char text[400];
    const std::string_view written(
        text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr);
    const std::size_t point = written.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(written.size() - point - 1);
}

std::optional<double> outOfTolerance(const KeptDownload& d) {
    if (!d.belowLsl && !d.aboveUsl) {
        return std::nullopt;
    }
    return d.belowLsl.value_or(0) + d.aboveUsl.value_or(0);
}

ListCell text(std::string shown) {
    return {{}, std::move(shown)};
}

}  // namespace

const std::array<ListColumn, 12> kDownloadListColumns = {{
    {"Pressed at", ListKind::Text, [](const TrendRow& r) { return text(r.download.pressedAt); }},
    {"Characteristic", ListKind::Text,
     [](const TrendRow& r) { return text(r.download.characteristic.value_or("")); }},
    {"Host", ListKind::Text, [](const TrendRow& r) { return text(r.download.host); }},
    {"Port", ListKind::Text, [](const TrendRow& r) { return text(r.download.port); }},
    {"Points counted", ListKind::Count,
     [](const TrendRow& r) {
         return ListCell{double(r.download.counted), {}};
     }},
    {"Mean", ListKind::Spread,
     [](const TrendRow& r) {
         return ListCell{r.download.mean, {}};
     }},
    {"Standard deviation", ListKind::Spread,
     [](const TrendRow& r) {
         return ListCell{r.download.standardDeviation, {}};
     }},
    {"Cpk", ListKind::Cpk,
     [](const TrendRow& r) {
         return ListCell{r.download.cpk, {}};
     }},
    {"Out of tolerance", ListKind::Count,
     [](const TrendRow& r) {
         return ListCell{outOfTolerance(r.download), {}};
     }},
    {"How it ended", ListKind::Text, [](const TrendRow& r) { return text(r.download.endedWith); }},
    {"Repeat of", ListKind::Text, [](const TrendRow& r) { return text(r.repeatOf); }},
    {"Continues", ListKind::Text, [](const TrendRow& r) { return text(r.continues); }},
}};

int spreadDecimals(const std::vector<TrendRow>& rows) {
    int decimals = 0;
    for (const TrendRow& row : rows) {
        for (const std::optional<double>& value : {row.download.minimum, row.download.maximum}) {
            decimals = std::max(decimals, value ? decimalsOf(*value) : 0);
        }
    }
    return std::min(decimals + kExtraDecimals, kMostDecimals);
}

std::string shownCell(const ListColumn& column, const TrendRow& row, int decimals) {
    ListCell cell = column.cell(row);
    if (column.kind == ListKind::Text) {
        return std::move(cell.text);
    }
    if (!cell.number) {
        return "-";
    }
    return fixed(*cell.number, column.kind == ListKind::Count ? 0
                               : column.kind == ListKind::Cpk ? kCpkDecimals
                                                              : decimals);
}

std::vector<std::vector<std::string>> downloadListCells(const std::vector<TrendRow>& rows) {
    const int decimals = spreadDecimals(rows);
    std::vector<std::vector<std::string>> cells;
    cells.reserve(rows.size());
    for (const TrendRow& row : rows) {
        std::vector<std::string> shown;
        shown.reserve(kDownloadListColumns.size());
        for (const ListColumn& column : kDownloadListColumns) {
            shown.push_back(shownCell(column, row, decimals));
        }
        cells.push_back(std::move(shown));
    }
    return cells;
}

}  // namespace history
