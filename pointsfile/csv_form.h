#pragma once

#include <string>
#include <string_view>

#include "pointsfile/download_record.h"

namespace pointsfile {

// Spreadsheets on Windows take a CSV file for UTF-8 only when it starts with this mark.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// How a spreadsheet reads CSV in the user's locale: where decimals are written with a comma,
// fields are separated by semicolons.
struct CsvStyle {
    char separator = ',';
    char decimalMark = '.';
};

// The style for a locale whose decimal mark is the given character.
CsvStyle csvStyleForDecimalMark(char localeDecimalMark);

// One field of a record: a number takes the style's decimal mark; text that a spreadsheet would
// take for a formula begins with an apostrophe, which makes it text there; a field holding the
// separator, a quote or a line end is quoted. UTF-8.
std::string csvField(std::string_view field, CsvStyle style);

// One record without its line end: the section, then the gauge's fields, each as csvField
// writes it.
std::string csvRecord(Section section, std::string_view pointLine, CsvStyle style);

}  // namespace pointsfile
