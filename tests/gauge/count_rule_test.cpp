#include "gauge/count_rule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cases = std::vector<std::pair<std::string, std::int16_t>>;

void expectCounts(const Cases& cases) {
    for (const auto& [reply, count] : cases) {
        EXPECT_EQ(gauge::countOfReply(reply), count) << '"' << reply << '"';
    }
}

TEST(CountOfReply, ReadsEveryNumberForm) {
    // clang-format off
    expectCounts({
        {"0\r\n", 0}, {"25\r\n", 25}, {"+25\r\n", 25}, {"-25\r\n", -25}, {"0007\r\n", 7},
        {"12.25\r\n", 12}, {"12.\r\n", 12}, {".75\r\n", 1},
        {"0.000000000000000000000000000000000000000000000009", 0}, {"1E3\r\n", 1000},
        {"2e2\r\n", 200}, {"3D2\r\n", 300}, {"4d1\r\n", 40}, {"5E+1\r\n", 50}, {"2500E-2\r\n", 25},
        {"1.5E1\r\n", 15}, {"7E\r\n", 7}, {"1E-350\r\n", 0}, {"&HFF\r\n", 255}, {"&hff\r\n", 255},
        {"&H1G\r\n", 1}, {"&O17\r\n", 15}, {"&o10\r\n", 8}, {"&O78\r\n", 7}, {"&\r\n", 0},
        {"&X12\r\n", 0}, {"32767\r\n", 32767}, {"-32768\r\n", -32768}, {"&H7FFF\r\n", 32767},
        {"3.2767E4\r\n", 32767}, {"32767.4999999999\r\n", 32767}});
    // clang-format on
}

TEST(CountOfReply, RoundsHalfToEven) {
    // clang-format off
    expectCounts({
        {"2.5\r\n", 2}, {"3.5\r\n", 4}, {"-2.5\r\n", -2}, {"-3.5\r\n", -4}, {"0.5\r\n", 0},
        {"1.5\r\n", 2}, {"12.5\r\n", 12}, {"13.5\r\n", 14}, {"2.5000001\r\n", 3},
        {"3.4999999\r\n", 3}, {"32766.5\r\n", 32766}, {"-32768.5\r\n", -32768}});
    // clang-format on
}

TEST(CountOfReply, SkipsBlanksTabsAndLineFeedsWhereverTheyStand) {
    // clang-format off
    expectCounts({
        {"  25\r\n", 25}, {"7 3\r\n", 73}, {"1\t2\r\n", 12}, {"4\n5\r\n", 45}, {"- 8\r\n", -8},
        {"3 . 5\r\n", 4}, {"1 E 2\r\n", 100}, {"& H 1 0\r\n", 16}, {"\n\t9\r\n", 9}});
    // clang-format on
}

TEST(CountOfReply, StopsAtTheFirstCharacterThatCannotContinueAndReadsNoNumberAsZero) {
    // clang-format off
    expectCounts({
        {"12\r34\n", 12}, {"12AB\r\n", 12}, {"5-3\r\n", 5}, {"1.2.9\r\n", 1}, {"1,999\r\n", 1},
        {"ABC\r\n", 0}, {"", 0}, {"\r\n", 0}, {"-\r\n", 0}, {".\r\n", 0}, {"E5\r\n", 0},
        {"\r25\n", 0}});
    // clang-format on
}

TEST(CountOfReply, OutsideTheSixteenBitRangeThrowsCountOverflow) {
    const std::string replies[] = {"32768\r\n",
                                   "-32769\r\n",
                                   "32767.5\r\n",
                                   "-32768.6\r\n",
                                   "1E10\r\n",
                                   "-1D10\r\n",
                                   "1E350\r\n",
                                   "1E999999999\r\n",
                                   "&H8000\r\n",
                                   "&O100000\r\n",
                                   "&HFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\r\n",
                                   std::string(60, '9') + "\r\n",
                                   std::string(400, '9') + "\r\n",
                                   "-" + std::string(2000, '1') + "\r\n",
                                   "0." + std::string(500, '0') + "1E600\r\n"};
    for (const std::string& reply : replies) {
        EXPECT_THROW(gauge::countOfReply(reply), gauge::CountOverflow) << reply.substr(0, 40);
    }
}

TEST(CountOverflow, MessageQuotesTheReplyWithControlBytesReadable) {
    const auto message = [](const std::string& reply) -> std::string {
        try {
            gauge::countOfReply(reply);
        } catch (const gauge::CountOverflow& e) {
            return e.what();
        }
        return "no overflow";
    };
    EXPECT_NE(message("99999\r\n").find("\"99999\\r\\n\""), std::string::npos);
    EXPECT_NE(message("70000\t\x01\r\n").find("70000\\t\\x01\\r\\n"), std::string::npos);
}

TEST(LeadingNumber, KeepsTheFractionBeforeRounding) {
    EXPECT_DOUBLE_EQ(gauge::leadingNumber("12.25\r\n"), 12.25);
    EXPECT_DOUBLE_EQ(gauge::leadingNumber("-0.125E1"), -1.25);
    EXPECT_DOUBLE_EQ(gauge::leadingNumber("1" + std::string(30, '0')), 1e30);
}

}  // namespace
