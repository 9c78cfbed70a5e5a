// The count rule on arbitrary bytes: never crashes, and agrees with a plain reading of the number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "gauge/count_rule.h"

namespace {

bool isSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string withoutSkipped(std::string_view text) {
    std::string kept;
    for (char c : text) {
        if (!isSkipped(c)) {
            kept += c;
        }
    }
    return kept;
}

struct PlainDecimal {
    std::string number;
    std::size_t digits = 0;
};

// The decimal number at the start of a text without blanks, in the form strtod reads, with D as
// an exponent marker turned into E. Nothing when the text holds no decimal number at its start.
std::optional<PlainDecimal> plainDecimal(std::string_view text) {
    std::string number;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        number += text[pos++];
    }
    std::size_t digits = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos, ++digits) {
        number += text[pos];
    }
    if (pos < text.size() && text[pos] == '.') {
        number += text[pos++];
        for (; pos < text.size() && isDigit(text[pos]); ++pos, ++digits) {
            number += text[pos];
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (pos < text.size() && std::string_view("EeDd").find(text[pos]) != std::string_view::npos) {
        std::string exponent = "e";
        ++pos;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
            exponent += text[pos++];
        }
        const std::size_t firstDigit = pos;
        for (; pos < text.size() && isDigit(text[pos]); ++pos) {
            exponent += text[pos];
        }
        if (pos > firstDigit) {
            number += exponent;
        }
    }
    return PlainDecimal{number, digits};
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
    if (count) {
        FUZZ_CHECK(rounded == *count);
    } else {
        FUZZ_CHECK(!(rounded >= -32768.0 && rounded <= 32767.0));
    }

    // Blanks, tabs and line feeds stand anywhere without changing the number.
    const std::string packed = withoutSkipped(reply);
    FUZZ_CHECK(gauge::leadingNumber(packed) == value);

    if (const std::optional<PlainDecimal> decimal = plainDecimal(packed)) {
        const double expected = std::strtod(decimal->number.c_str(), nullptr);
        // Past 40 significant digits the reader drops the rest, which may move the last bit.
        constexpr std::size_t kExactDigits = 40;
        if (decimal->digits <= kExactDigits) {
            FUZZ_CHECK(expected == value);
        } else {
            FUZZ_CHECK(expected == value ||
                       std::abs(expected - value) <= 1e-15 * std::abs(expected));
        }
    } else if (packed.empty() || (!isDigit(packed[0]) && packed[0] != '&' && packed[0] != '.' &&
                                  packed[0] != '-' && packed[0] != '+')) {
        FUZZ_CHECK(value == 0);
    }

    // A reply of only decimal digits, short enough to be a count, is that count.
    if (size > 0 && size <= 5 && packed.size() == size &&
        packed.find_first_not_of("0123456789") == std::string::npos) {
        const long expected = std::strtol(packed.c_str(), nullptr, 10);
        if (expected <= 32767) {
            FUZZ_CHECK(count && *count == expected);
        } else {
            FUZZ_CHECK(!count);
        }
    }

    // &H and &O read their digits in base 16 and 8.
    if (packed.size() >= 2 && packed[0] == '&' && packed.size() <= 10) {
        const char form = packed[1];
        const int radix = (form == 'H' || form == 'h') ? 16 : (form == 'O' || form == 'o') ? 8 : 0;
        if (radix != 0) {
            const std::string digits = packed.substr(2);
            const std::size_t end =
                digits.find_first_not_of(radix == 16 ? "0123456789abcdefABCDEF" : "01234567");
            const std::string run = digits.substr(0, end);
            const double expected =
                run.empty() ? 0.0 : double(std::strtoll(run.c_str(), nullptr, radix));
            FUZZ_CHECK(value == expected);
        } else {
            FUZZ_CHECK(value == 0);
        }
    }
    return 0;
}
