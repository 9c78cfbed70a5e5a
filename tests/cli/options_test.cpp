#include "cli/options.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionsTest, PortTakesComNumbersAndDevices) {
    const struct {
        const char* text;
        std::optional<std::int16_t> number;
        std::string device;
    } cases[] = {
        {"3", 3, ""},
        {"Com 16", 16, ""},
        {"COM1", 1, ""},
        {"COM17", {}, "COM17"},
        {"/dev/ttyUSB0", {}, "/dev/ttyUSB0"},
    };
    for (const auto& c : cases) {
        const cli::PortChoice choice = cli::parsePortChoice(c.text);
        EXPECT_EQ(choice.number, c.number) << c.text;
        EXPECT_EQ(choice.device, c.device) << c.text;
    }
}

TEST(OptionsTest, UsageErrorsAreRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"a", "b"},
        {"--port", "17", "f"},
        {"--port"},
        {"--pace", "fast", "f"},
        {"--gap", "5", "f"},
        {"--pace", "line", "--gap", "-1", "f"},
        {"--list-ports", "f"},
        {"--list-ports", "--find-gauge"},
        {"--force=yes", "f"},
        {"--bogus", "f"},
    };
    for (const auto& arguments : cases) {
        EXPECT_THROW(cli::parseOptions(arguments), cli::UsageError)
            << (arguments.empty() ? "" : arguments.front());
    }
}

}  // namespace
