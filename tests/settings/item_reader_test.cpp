#include "settings/item_reader.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseItem, TakesOnlyDecimalIntegersInTheSixteenBitRange) {
    const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
        {"0", 0},    {"-1", -1},    {"32767", 32767}, {"-32768", -32768}, {"007", 7},
        {"3 \t", 3}, {"32768", {}}, {"-32769", {}},   {"", {}},           {"-", {}},
        {"+3", {}},  {"1.5", {}},   {"abc", {}},      {"1 2", {}},        {"12a", {}}};
    for (const auto& [item, value] : cases) {
        EXPECT_EQ(settings::parseItem(item), value) << '"' << item << '"';
    }
}

}  // namespace
