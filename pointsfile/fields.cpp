#include "pointsfile/fields.h"

#include <cctype>
#include <charconv>

namespace pointsfile {

namespace {

// A double holds 15 significant decimal digits exactly.
constexpr int kMostSignificantDigits = 15;

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::vector<std::string_view> splitFields(std::string_view pointLine) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab = pointLine.find('\t'); tab != std::string_view::npos;
         tab = pointLine.find('\t', start)) {
        fields.push_back(pointLine.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(pointLine.substr(start));
    return fields;
}

std::optional<int> decimalPlaces(std::string_view field) {
    std::size_t at = 0;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        ++at;
    }
    int integerDigits = 0;
    int significantDigits = 0;
    for (; at < field.size() && isDigit(field[at]); ++at, ++integerDigits) {
        if (significantDigits > 0 || field[at] != '0') {
            ++significantDigits;
        }
    }
    if (integerDigits == 0) {
        return std::nullopt;
    }
    int decimals = 0;
    if (at < field.size() && field[at] == '.') {
        for (++at; at < field.size() && isDigit(field[at]); ++at, ++decimals) {
            if (significantDigits > 0 || field[at] != '0') {
                ++significantDigits;
            }
        }
        if (decimals == 0) {
            return std::nullopt;
        }
    }
    if (at != field.size() || significantDigits > kMostSignificantDigits) {
        return std::nullopt;
    }
    return decimals;
}

double numberValue(std::string_view field) {
    if (field.starts_with('+')) {
        field.remove_prefix(1);
    }
    double value = 0;
    std::from_chars(field.data(), field.data() + field.size(), value);
    return value;
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return text;
}

namespace {

// The length of the valid UTF-8 sequence at the start of the text, or 0 (overlong forms,
// surrogates and code points past U+10FFFF are not valid).
std::size_t validSequence(std::string_view text) {
    const auto at = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        return 1;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    const bool overlong = (lead == 0xE0 && at(1) < 0xA0) || (lead == 0xF0 && at(1) < 0x90);
    const bool surrogate = lead == 0xED && at(1) >= 0xA0;
    const bool beyond = lead == 0xF4 && at(1) >= 0x90;
    return overlong || surrogate || beyond ? 0 : length;
}

}  // namespace

std::string utf8OrLatin1(std::string_view text) {
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t length = validSequence(rest);
        if (length == 0) {
            return latin1ToUtf8(text);
        }
        rest.remove_prefix(length);
    }
    return std::string(text);
}

}  // namespace pointsfile
