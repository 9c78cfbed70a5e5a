#include "cli/options.h"

#include <clocale>
#include <iterator>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> wordsOf(const char* line) {
    std::istringstream words(line);
    return {std::istream_iterator<std::string>(words), {}};
}

TEST(OptionsTest, PortNamesAComNumberOrADevice) {
    using Choice = std::pair<std::optional<std::int16_t>, std::string>;
    const std::pair<const char*, Choice> cases[] = {
        {"3", {3, ""}},
        {"Com 16", {16, ""}},
        {"COM1", {1, ""}},
        {"COM17", {std::nullopt, "COM17"}},
        {"/dev/ttyUSB0", {std::nullopt, "/dev/ttyUSB0"}}};
    for (const auto& [text, expected] : cases) {
        const cli::PortChoice choice = cli::parsePortChoice(text);
        EXPECT_EQ(Choice(choice.number, choice.device), expected) << text;
    }
}

TEST(OptionsTest, UsageErrorsAreRefused) {
    for (const char* line :
         {"", "a b", "--port 17 f", "--port", "--pace fast f", "--gap 5 f",
          "--pace line --gap -1 f", "--list-ports f", "--list-ports --find-gauge", "--force=yes f",
          "--bogus f", "--format pdf f", "--csv-locale xx_YY f", "--format=xlsx -"}) {
        EXPECT_THROW(cli::parseOptions(wordsOf(line)), cli::UsageError) << line;
    }
}

// Numbers with "." even where the C library's locale writes decimals with a comma.
TEST(OptionsTest, LimitsAreNumbersWithAPointAndARefusalNamesTheOption) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const cli::Options options = cli::parseOptions(
        wordsOf("--lower-limit 12.5 --upper-limit=13 --nominal -0.5 --value-field 3 f"));
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(options.summary.lowerLimit, 12.5);
    EXPECT_EQ(options.summary.upperLimit, 13.0);
    EXPECT_EQ(options.summary.nominal, -0.5);
    EXPECT_EQ(options.summary.valueField, 3);

    const std::pair<const char*, const char*> refused[] = {
        {"--lower-limit 12,5 f", "--lower-limit: \"12,5\" is not a number"},
        {"--upper-limit abc f", "--upper-limit: \"abc\" is not a number"},
        {"--nominal 1e f", "--nominal: \"1e\" is not a number"},
        {"--upper-limit 12 --lower-limit 13 f", "--lower-limit must be below --upper-limit"},
        {"--value-field 0 f", "--value-field takes a field number from 1, not \"0\""},
        {"--value-field 2.5 f", "--value-field takes a field number from 1, not \"2.5\""}};
    for (const auto& [line, message] : refused) {
        try {
            cli::parseOptions(wordsOf(line));
            ADD_FAILURE() << line;
        } catch (const cli::UsageError& error) {
            EXPECT_STREQ(error.what(), message);
        }
    }
}

}  // namespace
