#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_reader.h"

namespace history {

// What a column of the list of downloads holds: text, or a figure (a count, a spread in the gauge's
// unit, or a capability index), aligned to the right and sorted as a number.
enum class ListKind { Text, Count, Spread, Cpk };

// A download's entry in a column: its text, or its figure (none where it cannot be computed).
struct ListCell {
    std::optional<double> number;
    std::string text;
};

struct ListColumn {
    std::string_view heading;
    ListKind kind;
    ListCell (*cell)(const TrendRow&);
};

// The list of downloads as qorb-history prints it and the Downloads window shows it: pressed at,
// characteristic, host, port, points counted, mean, standard deviation, Cpk, out of tolerance, how
// it ended, Repeat of, Continues.
extern const std::array<ListColumn, 12> kDownloadListColumns;

// The decimals of the selection's spreads, so that a column's figures line up: the most of any
// download's smallest and largest values, and two more.
int spreadDecimals(const std::vector<TrendRow>& rows);

// A download's entry as a person reads it: a spread to the decimals given, a Cpk to two, a count
// as it is, "-" where a figure cannot be computed.
std::string shownCell(const ListColumn& column, const TrendRow& row, int decimals);

// Every column's entry of each download, as a person reads it.
std::vector<std::vector<std::string>> downloadListCells(const std::vector<TrendRow>& rows);

}  // namespace history
