// The count rule on arbitrary bytes: never crashes, and agrees with a plain reading of the number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "gauge/count_rule.h"

namespace {

// The decimal number at the start of a text without blanks in the form strtod reads (D as an
// exponent marker made E), and its count of mantissa digits; nothing when none stands there.
std::optional<std::pair<std::string, std::size_t>> plainDecimal(std::string_view text) {
    std::string number;
    std::size_t pos = 0, digits = 0;
    const auto take = [&](std::string_view set) {
        return pos < text.size() && set.find(text[pos]) != std::string_view::npos
                   ? (number += text[pos++], true)
                   : false;
    };
    take("+-");
    for (bool point = false;;) {
        if (take("0123456789")) {
            ++digits;
        } else if (point || !(point = take("."))) {
            break;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    const std::size_t mantissaEnd = number.size(), markerAt = pos;
    if (take("EeDd")) {
        number.back() = 'e';
        take("+-");
        const std::size_t exponentStart = pos;
        while (take("0123456789")) {
        }
        if (pos == exponentStart) {
            number.resize(mantissaEnd);  // a marker without digits is not read
            pos = markerAt;
        }
    }
    return std::pair(number, digits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const double value = gauge::leadingNumber(reply);
    FUZZ_CHECK(!std::isnan(value));
    std::optional<std::int16_t> count;
    try {
        count = gauge::countOfReply(reply);
    } catch (const gauge::CountOverflow&) {
    }
    const double rounded = std::nearbyint(value);
    FUZZ_CHECK(count ? rounded == *count : !(rounded >= -32768.0 && rounded <= 32767.0));

    // Blanks, tabs and line feeds stand anywhere without changing the number.
    std::string packed;
    for (char c : reply) {
        if (c != ' ' && c != '\t' && c != '\n') {
            packed += c;
        }
    }
    FUZZ_CHECK(gauge::leadingNumber(packed) == value);

    if (const auto decimal = plainDecimal(packed)) {
        const double expected = std::strtod(decimal->first.c_str(), nullptr);
        // Past 40 significant digits the reader drops the rest, which may move the last bit.
        FUZZ_CHECK(expected == value || (decimal->second > 40 &&
                                         std::abs(expected - value) <= 1e-15 * std::abs(expected)));
    } else if (packed.empty() ||
               std::string_view("&.+-").find(packed[0]) == std::string_view::npos) {
        FUZZ_CHECK(value == 0);
    }
    return 0;
}
