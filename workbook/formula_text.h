#pragma once

#include <charconv>
#include <string>
#include <string_view>

namespace workbook {

// A text as a formula holds it, in double quotes. Appended piece by piece: GCC 12 at -O3 takes
// "\"" + std::string for an overlapping copy.
inline std::string quoted(std::string_view text) {
    std::string inQuotes(1, '"');
    inQuotes.append(text);
    inQuotes += '"';
    return inQuotes;
}

// The shortest text that reads back as the number, with a decimal point whatever the locale.
inline std::string numberText(double value) {
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

// Reads as text: joins its pieces.
template <typename... Pieces>
std::string join(const Pieces&... pieces) {
    std::string text;
    (text.append(pieces), ...);
    return text;
}

}  // namespace workbook
