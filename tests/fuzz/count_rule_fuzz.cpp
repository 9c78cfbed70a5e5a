// The count rule on arbitrary bytes: a decimal number reads as strtod reads it, blanks anywhere
// change nothing, and the count is the number rounded half to even or an overflow.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "gauge/count_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const double value = gauge::leadingNumber(reply);
    const double rounded = std::nearbyint(value);
    try {
        FUZZ_CHECK(gauge::countOfReply(reply) == rounded);
    } catch (const gauge::CountOverflow&) {
        FUZZ_CHECK(!(rounded >= -32768.0 && rounded <= 32767.0));
    }
    std::string packed;
    for (char c : reply) {
        if (c != ' ' && c != '\t' && c != '\n') {
            packed += c;
        }
    }
    FUZZ_CHECK(gauge::leadingNumber(packed) == value);  // fails on NaN too
    // Only what a decimal number may hold (D made E), so strtod's inf, nan and hex cannot arise.
    std::string number;
    std::size_t digits = 0;
    for (const char c : packed) {
        const bool exponent = number.find('e') != std::string::npos, digit = c >= '0' && c <= '9';
        const bool sign = (c == '+' || c == '-') && (number.empty() || number.back() == 'e');
        const bool point = c == '.' && !exponent && number.find('.') == std::string::npos;
        const bool marker = !exponent && std::string_view("EeDd").find(c) != std::string_view::npos;
        if (!(digit || sign || point || marker)) {
            break;
        }
        digits += digit && !exponent ? 1 : 0;
        number += marker ? 'e' : c;
    }
    const double expected = std::strtod(number.c_str(), nullptr);
    // Past 40 significant digits the reader drops the rest, which may move the last bit; &H and &O
    // numbers are not decimal.
    FUZZ_CHECK(packed.starts_with('&') || expected == value ||
               (digits > 40 && std::abs(expected - value) <= 1e-15 * std::abs(expected)));
    return 0;
}
