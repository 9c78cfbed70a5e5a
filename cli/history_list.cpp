#include "cli/history_list.h"

#include <algorithm>
#include <charconv>

#include "history/download_list.h"

namespace cli {

namespace {

using history::kDownloadListColumns;
using history::ListCell;
using history::ListColumn;
using history::ListKind;
using history::TrendRow;

std::string shortest(double value) {
    char text[64];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
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
    const int decimals = history::spreadDecimals(rows);
    for (const ListColumn& column : kDownloadListColumns) {
        lines[0].emplace_back(column.heading);
        widths.push_back(widthOf(lines[0].back()));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            lines[i + 1].push_back(history::shownCell(column, rows[i], decimals));
            widths.back() = std::max(widths.back(), widthOf(lines[i + 1].back()));
        }
    }
    std::string text;
    for (const std::vector<std::string>& line : lines) {
        std::string out;
        for (std::size_t c = 0; c < line.size(); ++c) {
            const std::string padding(widths[c] - widthOf(line[c]), ' ');
            const bool right = kDownloadListColumns[c].kind != ListKind::Text;
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
    for (const ListColumn& column : kDownloadListColumns) {
        text += ',';
        text += quoted(std::string(column.heading));
    }
    text += "\r\n";
    for (const TrendRow& row : rows) {
        text += quoted(row.download.uid);
        for (const ListColumn& column : kDownloadListColumns) {
            const ListCell cell = column.cell(row);
            text += ',';
            text += quoted(column.kind == ListKind::Text ? cell.text
                           : cell.number                 ? shortest(*cell.number)
                                                         : std::string());
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace cli
