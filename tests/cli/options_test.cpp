#include "cli/options.h"

#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

namespace {

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
        std::istringstream words(line);
        const std::vector<std::string> arguments{std::istream_iterator<std::string>(words), {}};
        EXPECT_THROW(cli::parseOptions(arguments), cli::UsageError) << line;
    }
}

}  // namespace
