#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pointsfile {

// The values of a gauge line: the gauge separates them by tabs.
std::vector<std::string_view> splitFields(std::string_view pointLine);

// The digits after the "." when a spreadsheet should hold the field as a number: an optional sign,
// digits, and optionally "." and digits. Nothing for any other field, and for one with more
// significant digits than a spreadsheet's number keeps, so that no digit the gauge sent is lost.
std::optional<int> decimalPlaces(std::string_view field);

// The value of a field that decimalPlaces takes for a number, read with "." whatever the locale.
double numberValue(std::string_view field);

// The gauge's bytes as the same characters in UTF-8: each byte is a Latin-1 character.
std::string latin1ToUtf8(std::string_view bytes);

// The program's own texts (paths, end messages, names typed) are UTF-8 already; one that is not
// valid UTF-8 (a path of bytes from another code page) is taken as Latin-1, so that what a
// workbook or a database stores is always valid.
std::string utf8OrLatin1(std::string_view text);

}  // namespace pointsfile
