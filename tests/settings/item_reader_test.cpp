#include "settings/item_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "pointsfile/file_table.h"
#include "support/temp_folder.h"

namespace {

TEST(ParseItem, TakesOnlyDecimalIntegersInTheSixteenBitRange) {
    struct Case {
        const char* item;
        std::optional<std::int16_t> value;
    };
    const Case cases[] = {{"0", 0},      {"-1", -1},  {"32767", 32767}, {"-32768", -32768},
                          {"007", 7},    {"3 \t", 3}, {"32768", {}},    {"-32769", {}},
                          {"70000", {}}, {"", {}},    {"-", {}},        {"+3", {}},
                          {"1.5", {}},   {"abc", {}}, {"1 2", {}},      {"12a", {}}};
    for (const Case& c : cases) {
        EXPECT_EQ(settings::parseItem(c.item), c.value) << '"' << c.item << '"';
    }
}

// The values read before the first failure, as many as the file gives up to five.
std::vector<int> readFive(const std::string& content) {
    testsupport::TempFolder folder;
    testsupport::writeBytes(folder.file("s.txt"), content);
    pointsfile::FileTable files;
    files.openForReading(1, folder.file("s.txt"));
    settings::ItemReader reader(files, 1, folder.file("s.txt"));
    std::vector<int> values;
    try {
        while (values.size() < 5) {
            values.push_back(reader.next());
        }
    } catch (const settings::SettingsReadError&) {
    }
    return values;
}

TEST(ItemReader, SplitsAtCommasAndEveryKindOfLineEnd) {
    const std::vector<int> five = {2, 3, 0, 1, 0};
    EXPECT_EQ(readFive("2\r\n3\r\n0\r\n1\r\n0\r\n"), five);
    EXPECT_EQ(readFive("2,3,0,1,0"), five);
    EXPECT_EQ(readFive("  2, 3,\t0\n1\r0"), five);
    EXPECT_EQ(readFive("2\r\n3\r\n0\r\n1\r\n0\r\nnot read\r\n"), five);
}

TEST(ItemReader, FailsAtTheFirstMissingOrMalformedItem) {
    EXPECT_EQ(readFive("2\r\n3\r\n"), (std::vector<int>{2, 3}));
    EXPECT_EQ(readFive("2\r\n\r\n3\r\n0\r\n1\r\n"), (std::vector<int>{2}));
    EXPECT_EQ(readFive("2,x,0,1,0"), (std::vector<int>{2}));
    EXPECT_EQ(readFive("   "), (std::vector<int>{}));
}

}  // namespace
