#include "cli/history_list.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace cli {

namespace {

using history::KeptDownload;
using history::TrendRow;

// Figures shown to a person: the decimals the gauge's values have, and this many more.
constexpr int kExtraDecimals = 2;
constexpr int kMostDecimals = 10;
constexpr int kCpkDecimals = 2;

std::string shortest(double value) {
    char text[64];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

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

struct Cell {
    std::optional<double> number;
    std::string text;
};

std::optional<double> outOfTolerance(const KeptDownload& d) {
    if (!d.belowLsl && !d.aboveUsl) {
        return std::nullopt;
    }
    return d.belowLsl.value_or(0) + d.aboveUsl.value_or(0);
}

// The list's columns: a heading, the kind of its cells, and the download's cell. A Spread figure
// is shown to the gauge's decimals and two more, a Cpk to two, a count as it is.
enum class Kind { Text, Count, Spread, Cpk };
struct Column {
    const char* heading;
    Kind kind;
    Cell (*cell)(const TrendRow&);
};

const std::array kColumns = {
    Column{"Pressed at", Kind::Text,
           [](const TrendRow& r) {
               return Cell{{}, r.download.pressedAt};
           }},
    Column{"Characteristic", Kind::Text,
           [](const TrendRow& r) {
               return Cell{{}, r.download.characteristic.value_or("")};
           }},
    Column{"Host", Kind::Text,
           [](const TrendRow& r) {
               return Cell{{}, r.download.host};
           }},
    Column{"Port", Kind::Text,
           [](const TrendRow& r) {
               return Cell{{}, r.download.port};
           }},
    Column{"Points counted", Kind::Count,
           [](const TrendRow& r) {
               return Cell{double(r.download.counted), {}};
           }},
    Column{"Mean", Kind::Spread,
           [](const TrendRow& r) {
               return Cell{r.download.mean, {}};
           }},
    Column{"Standard deviation", Kind::Spread,
           [](const TrendRow& r) {
               return Cell{r.download.standardDeviation, {}};
           }},
    Column{"Cpk", Kind::Cpk,
           [](const TrendRow& r) {
               return Cell{r.download.cpk, {}};
           }},
    Column{"Out of tolerance", Kind::Count,
           [](const TrendRow& r) {
               return Cell{outOfTolerance(r.download), {}};
           }},
    Column{"How it ended", Kind::Text,
           [](const TrendRow& r) {
               return Cell{{}, r.download.endedWith};
           }},
    Column{"Repeat of", Kind::Text,
           [](const TrendRow& r) {
               return Cell{{}, r.repeatOf};
           }},
    Column{"Continues", Kind::Text,
           [](const TrendRow& r) {
               return Cell{{}, r.continues};
           }},
};

// The gauge's decimals: the most of any download's smallest and largest values, so that a column's
// figures line up.
int valueDecimals(const std::vector<TrendRow>& rows) {
    int decimals = 0;
    for (const TrendRow& row : rows) {
        for (const std::optional<double>& value : {row.download.minimum, row.download.maximum}) {
            decimals = std::max(decimals, value ? decimalsOf(*value) : 0);
        }
    }
    return std::min(decimals + kExtraDecimals, kMostDecimals);
}

std::string shown(const Cell& cell, Kind kind, int decimals) {
    if (kind == Kind::Text) {
        return cell.text;
    }
    if (!cell.number) {
        return "-";
    }
    return fixed(*cell.number, kind == Kind::Count ? 0
                               : kind == Kind::Cpk ? kCpkDecimals
                                                   : decimals);
}

// Characters, not bytes: a UTF-8 sequence is one.
std::size_t widthOf(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string text = "\"";
    for (const char c : field) {
        text += c == '"' ? "\"\"" : std::string(1, c);
    }
    return text + "\"";
}

}  // namespace

std::string alignedList(const std::vector<TrendRow>& rows) {
    std::vector<std::vector<std::string>> lines(rows.size() + 1);
    std::vector<std::size_t> widths;
    const int decimals = valueDecimals(rows);
    for (const Column& column : kColumns) {
        lines[0].emplace_back(column.heading);
        widths.push_back(widthOf(column.heading));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            lines[i + 1].push_back(shown(column.cell(rows[i]), column.kind, decimals));
            widths.back() = std::max(widths.back(), widthOf(lines[i + 1].back()));
        }
    }
    std::string text;
    for (const std::vector<std::string>& line : lines) {
        std::string out;
        for (std::size_t c = 0; c < line.size(); ++c) {
            const std::string padding(widths[c] - widthOf(line[c]), ' ');
            const bool right = kColumns[c].kind != Kind::Text;
            out += c > 0 ? "  " : "";
            out += right ? padding + line[c] : line[c] + padding;
        }
        out.erase(out.find_last_not_of(' ') + 1);
        text += out + "\n";
    }
    return text;
}

std::string csvList(const std::vector<TrendRow>& rows) {
    std::string text = "uid";
    for (const Column& column : kColumns) {
        text += ',';
        text += quoted(column.heading);
    }
    text += "\r\n";
    for (const TrendRow& row : rows) {
        text += quoted(row.download.uid);
        for (const Column& column : kColumns) {
            const Cell cell = column.cell(row);
            text += ',';
            text += quoted(column.kind == Kind::Text ? cell.text
                           : cell.number             ? shortest(*cell.number)
                                                     : std::string());
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace cli
