#include "gauge/count_rule.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace {

TEST(CountOfReply, ReadsEveryNumberFormRoundingHalfToEvenWithin16Bits) {
    // clang-format off
    const std::pair<std::string, std::optional<std::int16_t>> cases[] = {
        // signs, zeros, fractions, exponents with E or D, hexadecimal and octal
        {"25\r\n", 25}, {"+25\r\n", 25}, {"-25\r\n", -25}, {"0007\r\n", 7}, {"12.25\r\n", 12},
        {".75\r\n", 1}, {"0.0000000000000000000000000000000000000000000009", 0}, {"1E3\r\n", 1000},
        {"3D2\r\n", 300}, {"2e2\r\n", 200}, {"5E+1\r\n", 50}, {"4d1\r\n", 40}, {"2500E-2\r\n", 25},
        {"7E\r\n", 7}, {"1E-350\r\n", 0}, {"1" + std::string(45, '0') + "E-45\r\n", 1},
        {"&HFF\r\n", 255}, {"&hff\r\n", 255}, {"&H1G\r\n", 1}, {"&O17\r\n", 15}, {"&o10\r\n", 8},
        {"&O78\r\n", 7}, {"&\r\n", 0}, {"&X12\r\n", 0}, {"-32768\r\n", -32768},
        // half to even
        {"2.5\r\n", 2}, {"3.5\r\n", 4}, {"-2.5\r\n", -2}, {"0.5\r\n", 0}, {"2.5000001\r\n", 3},
        {"32766.5\r\n", 32766}, {"3.2767E4\r\n", 32767},
        // blanks, tabs and line feeds skipped wherever they stand
        {"  25\r\n", 25}, {"7 3\r\n", 73}, {"1\t2\r\n", 12}, {"4\n5\r\n", 45}, {"- 8\r\n", -8},
        {"1 E 2\r\n", 100}, {"& H 1 0\r\n", 16},
        // reading stops at the first byte that cannot continue; no number reads 0
        {"12\r34\n", 12}, {"12AB\r\n", 12}, {"5-3\r\n", 5}, {"1.2.9\r\n", 1}, {"1,999\r\n", 1},
        {"ABC\r\n", 0}, {"", 0}, {"-\r\n", 0}, {".\r\n", 0}, {"E5\r\n", 0}, {"\r25\n", 0},
        // outside 16 bits: no count
        {"32768\r\n", {}}, {"-32769\r\n", {}}, {"32767.5\r\n", {}}, {"-1D10\r\n", {}},
        {"70000\t\x01\r\n", {}}, {"&H8000\r\n", {}}, {"&O100000\r\n", {}}, {"1E999999999\r\n", {}},
        {std::string(400, '9'), {}}, {"0." + std::string(500, '0') + "1E600", {}}};
    // clang-format on
    for (const auto& [reply, count] : cases) {
        SCOPED_TRACE('"' + reply.substr(0, 40) + '"');
        if (count) {
            EXPECT_EQ(gauge::countOfReply(reply), *count);
        } else {
            EXPECT_THROW(gauge::countOfReply(reply), gauge::CountOverflow);
        }
    }
}

}  // namespace
