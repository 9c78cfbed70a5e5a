#include "gauge/count_rule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct CountCase {
    const char* name;
    std::string reply;
    std::int16_t count;
};

void PrintTo(const CountCase& c, std::ostream* os) {
    *os << c.name;
}

class CountOfReply : public testing::TestWithParam<CountCase> {};

TEST_P(CountOfReply, ReadsTheLeadingNumber) {
    EXPECT_EQ(gauge::countOfReply(GetParam().reply), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    NumberForms, CountOfReply,
    testing::Values(
        CountCase{"Zero", "0\r\n", 0}, CountCase{"Plain", "25\r\n", 25},
        CountCase{"Plus", "+25\r\n", 25}, CountCase{"Minus", "-25\r\n", -25},
        CountCase{"LeadingZeros", "0007\r\n", 7}, CountCase{"Fraction", "12.25\r\n", 12},
        CountCase{"BarePeriod", "12.\r\n", 12}, CountCase{"OnlyFraction", ".75\r\n", 1},
        CountCase{"TinyFraction", "0.000000000000000000000000000000000000000000000009", 0},
        CountCase{"UpperE", "1E3\r\n", 1000}, CountCase{"LowerE", "2e2\r\n", 200},
        CountCase{"UpperD", "3D2\r\n", 300}, CountCase{"LowerD", "4d1\r\n", 40},
        CountCase{"ExponentPlus", "5E+1\r\n", 50}, CountCase{"ExponentMinus", "2500E-2\r\n", 25},
        CountCase{"FractionAndExponent", "1.5E1\r\n", 15},
        CountCase{"ExponentWithoutDigits", "7E\r\n", 7},
        CountCase{"NegativeExponentTiny", "1E-350\r\n", 0}, CountCase{"HexUpper", "&HFF\r\n", 255},
        CountCase{"HexLower", "&hff\r\n", 255}, CountCase{"HexStopsAtNonDigit", "&H1G\r\n", 1},
        CountCase{"Octal", "&O17\r\n", 15}, CountCase{"OctalLower", "&o10\r\n", 8},
        CountCase{"OctalStopsAtEight", "&O78\r\n", 7}, CountCase{"AmpersandAlone", "&\r\n", 0},
        CountCase{"AmpersandOtherLetter", "&X12\r\n", 0}),
    [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    HalfToEven, CountOfReply,
    testing::Values(CountCase{"TwoAndHalf", "2.5\r\n", 2}, CountCase{"ThreeAndHalf", "3.5\r\n", 4},
                    CountCase{"MinusTwoAndHalf", "-2.5\r\n", -2},
                    CountCase{"MinusThreeAndHalf", "-3.5\r\n", -4}, CountCase{"Half", "0.5\r\n", 0},
                    CountCase{"OneAndHalf", "1.5\r\n", 2},
                    CountCase{"TwelveAndHalf", "12.5\r\n", 12},
                    CountCase{"ThirteenAndHalf", "13.5\r\n", 14},
                    CountCase{"JustAboveHalf", "2.5000001\r\n", 3},
                    CountCase{"JustBelowHalf", "3.4999999\r\n", 3},
                    CountCase{"HalfBelowTopRoundsDown", "32766.5\r\n", 32766},
                    CountCase{"HalfBelowBottomRoundsToEdge", "-32768.5\r\n", -32768}),
    [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Skipping, CountOfReply,
                         testing::Values(CountCase{"TwoBlanksBefore", "  25\r\n", 25},
                                         CountCase{"BlankBetweenDigits", "7 3\r\n", 73},
                                         CountCase{"TabBetweenDigits", "1\t2\r\n", 12},
                                         CountCase{"LineFeedBetweenDigits", "4\n5\r\n", 45},
                                         CountCase{"BlankAfterSign", "- 8\r\n", -8},
                                         CountCase{"BlankAroundPeriod", "3 . 5\r\n", 4},
                                         CountCase{"BlankInExponent", "1 E 2\r\n", 100},
                                         CountCase{"BlankInHex", "& H 1 0\r\n", 16},
                                         CountCase{"LeadingLineFeedAndTab", "\n\t9\r\n", 9}),
                         [](const testing::TestParamInfo<CountCase>& info) {
                             return std::string(info.param.name);
                         });

INSTANTIATE_TEST_SUITE_P(
    StopsOrReadsNothing, CountOfReply,
    testing::Values(
        CountCase{"StopsAtCarriageReturn", "12\r34\n", 12},
        CountCase{"StopsAtLetter", "12AB\r\n", 12}, CountCase{"StopsAtSecondSign", "5-3\r\n", 5},
        CountCase{"StopsAtSecondPeriod", "1.2.9\r\n", 1}, CountCase{"StopsAtComma", "1,999\r\n", 1},
        CountCase{"LettersOnly", "ABC\r\n", 0}, CountCase{"Empty", "", 0},
        CountCase{"OnlyLineEnd", "\r\n", 0}, CountCase{"SignOnly", "-\r\n", 0},
        CountCase{"PeriodOnly", ".\r\n", 0}, CountCase{"ExponentWithoutMantissa", "E5\r\n", 0},
        CountCase{"CarriageReturnFirst", "\r25\n", 0}),
    [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    RangeEdges, CountOfReply,
    testing::Values(CountCase{"Top", "32767\r\n", 32767}, CountCase{"Bottom", "-32768\r\n", -32768},
                    CountCase{"TopAsHex", "&H7FFF\r\n", 32767},
                    CountCase{"TopWithExponent", "3.2767E4\r\n", 32767},
                    CountCase{"LongFractionNearTop", "32767.4999999999\r\n", 32767}),
    [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

class CountOverflowReply : public testing::TestWithParam<std::string> {};

TEST_P(CountOverflowReply, ThrowsCountOverflow) {
    EXPECT_THROW(gauge::countOfReply(GetParam()), gauge::CountOverflow);
}

INSTANTIATE_TEST_SUITE_P(
    OutOfRange, CountOverflowReply,
    testing::Values("32768\r\n", "-32769\r\n", "32767.5\r\n", "-32768.6\r\n", "1E10\r\n",
                    "-1D10\r\n", "1E350\r\n", "1E999999999\r\n", "&H8000\r\n", "&O100000\r\n",
                    "&HFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\r\n", std::string(60, '9') + "\r\n",
                    std::string(400, '9') + "\r\n", "-" + std::string(2000, '1') + "\r\n",
                    "0." + std::string(500, '0') + "1E600\r\n"));

std::string overflowMessage(const std::string& reply) {
    try {
        gauge::countOfReply(reply);
    } catch (const gauge::CountOverflow& e) {
        return e.what();
    }
    return "no overflow";
}

TEST(CountOverflow, MessageQuotesTheReplyWithControlBytesReadable) {
    EXPECT_NE(overflowMessage("99999\r\n").find("\"99999\\r\\n\""), std::string::npos);
    EXPECT_NE(overflowMessage("70000\t\x01\r\n").find("70000\\t\\x01\\r\\n"), std::string::npos);
}

TEST(LeadingNumber, KeepsTheFractionBeforeRounding) {
    EXPECT_DOUBLE_EQ(gauge::leadingNumber("12.25\r\n"), 12.25);
    EXPECT_DOUBLE_EQ(gauge::leadingNumber("-0.125E1"), -1.25);
    EXPECT_DOUBLE_EQ(gauge::leadingNumber("1" + std::string(30, '0')), 1e30);
}

}  // namespace
