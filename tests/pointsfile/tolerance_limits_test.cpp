#include "pointsfile/tolerance_limits.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace {

using Limits = std::tuple<std::optional<double>, std::optional<double>, std::optional<double>>;

TEST(ReadLimits, BlankIsNoneNumbersTakeEitherMarkAndTheReasonNamesTheValue) {
    const struct {
        const char *lower, *upper, *nominal, *mark;
        Limits limits;
        const char* refusal;
        int refusedText;
    } rows[] = {
        {"", " ", "", ".", {}, "", -1},
        {" -0.25\t", "+0.25", "1e-3", ".", {-0.25, 0.25, 0.001}, "", -1},
        {"12,5", "13.5", "", ",", {12.5, 13.5, std::nullopt}, "", -1},
        {"12,5", "", "", ".", {}, "L: \"12,5\" is not a number", 0},
        {"", "1.234,5", "", ",", {}, "U: \"1.234,5\" is not a number", 1},
        {"1", "2", "inf", ".", {}, "N: \"inf\" is not a number", 2},
        {"+-1", "", "", ".", {}, "L: \"+-1\" is not a number", 0},
        {"12", "12,0", "", ",", {}, "L must be below U", 0},
    };
    for (const auto& row : rows) {
        const pointsfile::LimitsReading reading = pointsfile::readLimits(
            {"L", row.lower}, {"U", row.upper}, {"N", row.nominal}, row.mark);
        const pointsfile::SummaryChoices& read = reading.limits;
        EXPECT_EQ(Limits(read.lowerLimit, read.upperLimit, read.nominal), row.limits) << row.lower;
        EXPECT_EQ(reading.refusal, row.refusal);
        EXPECT_EQ(reading.refusedText, row.refusedText) << row.refusal;
    }
}

}  // namespace
