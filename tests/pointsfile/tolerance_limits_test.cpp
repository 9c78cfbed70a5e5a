#include "pointsfile/tolerance_limits.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <tuple>

namespace {

using Limits = std::tuple<std::optional<double>, std::optional<double>, std::optional<double>>;

TEST(ReadLimits, BlankIsNoneNumbersTakeEitherMarkAndTheReasonNamesTheValue) {
    const struct {
        std::array<const char*, 3> texts;
        const char* mark;
        Limits limits;
        const char* refusal;
        int refusedText;
    } rows[] = {
        {{"", " ", ""}, ".", {}, "", -1},
        {{"12.5", "13", "12.75"}, ".", {12.5, 13.0, 12.75}, "", -1},
        {{" -0.25\t", "+0.25", "0"}, ".", {-0.25, 0.25, 0.0}, "", -1},
        {{"12,5", "13.5", ""}, ",", {12.5, 13.5, std::nullopt}, "", -1},
        {{"", "1e-3", ".5"}, ".", {std::nullopt, 0.001, 0.5}, "", -1},
        {{"12,5", "", ""}, ".", {}, "L: \"12,5\" is not a number", 0},
        {{"", "1.234,5", ""}, ",", {}, "U: \"1.234,5\" is not a number", 1},
        {{"1", "2", "12 mm"}, ".", {}, "N: \"12 mm\" is not a number", 2},
        {{"inf", "", ""}, ".", {}, "L: \"inf\" is not a number", 0},
        {{"", "nan", ""}, ".", {}, "U: \"nan\" is not a number", 1},
        {{"+-1", "", ""}, ".", {}, "L: \"+-1\" is not a number", 0},
        {{"0x1A", "", ""}, ".", {}, "L: \"0x1A\" is not a number", 0},
        {{"13", "12", ""}, ".", {}, "L must be below U", 0},
        {{"12", "12,0", ""}, ",", {}, "L must be below U", 0},
    };
    for (const auto& row : rows) {
        const pointsfile::LimitsReading reading = pointsfile::readLimits(
            {"L", row.texts[0]}, {"U", row.texts[1]}, {"N", row.texts[2]}, row.mark);
        SCOPED_TRACE(std::string(row.texts[0]) + "|" + row.texts[1] + "|" + row.texts[2]);
        EXPECT_EQ(reading.refusal, row.refusal);
        EXPECT_EQ(reading.refusedText, row.refusedText);
        EXPECT_EQ(
            Limits(reading.limits.lowerLimit, reading.limits.upperLimit, reading.limits.nominal),
            row.limits);
    }
}

TEST(LimitText, ShortestTextThatReadsBackWithTheMarkGiven) {
    EXPECT_EQ(pointsfile::limitText(12.5, ","), "12,5");
    EXPECT_EQ(pointsfile::limitText(-0.001, "."), "-0.001");
    EXPECT_EQ(pointsfile::limitText(13, ","), "13");
    EXPECT_EQ(pointsfile::limitText(0.1 + 0.2, "."), "0.30000000000000004");
}

}  // namespace
