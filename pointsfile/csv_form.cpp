#include "pointsfile/csv_form.h"

#include <algorithm>

#include "pointsfile/fields.h"

namespace pointsfile {

namespace {

// The first characters by which a spreadsheet opening a CSV file takes a field for a formula ("=",
// "+", "-", "@"), and the blanks some skip before looking. A garbled line, a wrong device on the
// port or a tampered file must never make the engineer's spreadsheet run what a field holds.
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

}  // namespace

std::string csvField(std::string_view field, CsvStyle style) {
    std::string text;
    if (decimalPlaces(field)) {
        text = field;
        std::replace(text.begin(), text.end(), '.', style.decimalMark);
    } else {
        text = latin1ToUtf8(field);
        // The usual mark of text in a cell: a spreadsheet takes the rest as it stands. Put in
        // front by insert: GCC 12 at -O3 takes "'" followed by an append for an overlapping copy
        // (a false -Wrestrict) and the Windows build, made at -O3, fails.
        if (!field.empty() && kFormulaStarts.find(field.front()) != std::string_view::npos) {
            text.insert(text.begin(), '\'');
        }
    }
    if (text.find_first_of(std::string{style.separator, '"', '\r', '\n'}) == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

CsvStyle csvStyleForDecimalMark(char localeDecimalMark) {
    return localeDecimalMark == ',' ? CsvStyle{';', ','} : CsvStyle{',', '.'};
}

std::string csvRecord(Section section, std::string_view pointLine, CsvStyle style) {
    std::string record(sectionName(section));
    for (const std::string_view field : splitFields(pointLine)) {
        record += style.separator;
        record += csvField(field, style);
    }
    return record;
}

}  // namespace pointsfile
