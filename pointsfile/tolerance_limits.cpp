#include "pointsfile/tolerance_limits.h"

#include <array>
#include <charconv>
#include <cmath>

namespace pointsfile {

namespace {

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The text with its first `mark` as `by`. Built by appending: GCC 12 at -O3 takes
// std::string::replace for an overlapping copy (a false -Wrestrict) and the Windows build fails.
std::string withMark(std::string_view text, std::string_view mark, std::string_view by) {
    const std::size_t at = mark.empty() ? std::string_view::npos : text.find(mark);
    if (at == std::string_view::npos) {
        return std::string(text);
    }
    std::string result(text.substr(0, at));
    return result.append(by).append(text.substr(at + mark.size()));
}

// False when the text is neither blank nor a number.
bool readValue(std::string_view typed, std::string_view decimalMark, std::optional<double>& value) {
    std::string_view trimmedText = trimmed(typed);
    value.reset();
    if (trimmedText.empty()) {
        return true;
    }
    // from_chars takes "-" but not "+"; a sign after the "+" is one too many.
    if (trimmedText.starts_with('+')) {
        trimmedText.remove_prefix(1);
        if (trimmedText.starts_with('-')) {
            return false;
        }
    }
    const std::string text = withMark(trimmedText, decimalMark, ".");
    double number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    // "inf" and "nan" read as numbers, but no spreadsheet cell takes them as a limit.
    if (error != std::errc() || stop != end || !std::isfinite(number)) {
        return false;
    }
    value = number;
    return true;
}

}  // namespace

LimitsReading readLimits(const LimitText& lower, const LimitText& upper, const LimitText& nominal,
                         std::string_view decimalMark) {
    LimitsReading reading;
    SummaryChoices& limits = reading.limits;
    const std::array<std::pair<const LimitText*, std::optional<double>*>, 3> values{
        {{&lower, &limits.lowerLimit}, {&upper, &limits.upperLimit}, {&nominal, &limits.nominal}}};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const LimitText& text = *values[i].first;
        if (!readValue(text.text, decimalMark, *values[i].second)) {
            reading.refusal =
                std::string(text.name) + ": \"" + std::string(text.text) + "\" is not a number";
            reading.refusedText = static_cast<int>(i);
            reading.limits = {};
            return reading;
        }
    }
    if (limits.lowerLimit && limits.upperLimit && !(*limits.lowerLimit < *limits.upperLimit)) {
        reading.refusal = std::string(lower.name) + " must be below " + std::string(upper.name);
        reading.refusedText = 0;
        reading.limits = {};
    }
    return reading;
}

std::string characteristicOf(std::string_view typed) {
    std::string name(typed);
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return std::string(trimmed(name));
}

std::string limitText(double value, std::string_view decimalMark) {
    std::array<char, 32> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return withMark(std::string_view(digits.data(), error == std::errc() ? end : digits.data()),
                    ".", decimalMark);
}

}  // namespace pointsfile
