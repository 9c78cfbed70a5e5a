#include "cli/options.h"

#include "cli/history_choice.h"

#include <clocale>
#include <iterator>
#include <sstream>
#include <tuple>

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
    for (const char* line : {"",
                             "a b",
                             "--port 17 f",
                             "--port",
                             "--pace fast f",
                             "--gap 5 f",
                             "--pace line --gap -1 f",
                             "--list-ports f",
                             "--list-ports --find-gauge",
                             "--force=yes f",
                             "--bogus f",
                             "--format pdf f",
                             "--csv-locale xx_YY f",
                             "--format=xlsx -",
                             "--lower-limit 2 --upper-limit 1 f",
                             "--nominal x f",
                             "--value-field 0 f",
                             "--send-pending f",
                             "--no-history --history h f",
                             "--no-history --database host=q f",
                             "--database password=x f",
                             "--database postgresql://u:secret@q/db f"}) {
        std::istringstream words(line);
        const std::vector<std::string> arguments{std::istream_iterator<std::string>(words), {}};
        EXPECT_THROW(cli::parseOptions(arguments), cli::UsageError) << line;
    }
}

// Numbers with "." even where the C library's locale writes decimals with a comma.
TEST(OptionsTest, LimitsAreNumbersWithAPointAndARefusalNamesTheOption) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const pointsfile::SummaryChoices chosen =
        cli::parseOptions({"--lower-limit", "12.5", "--upper-limit=13", "--nominal", "-0.5",
                           "--value-field", "3", "f"})
            .summary;
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(std::tuple(chosen.lowerLimit, chosen.upperLimit, chosen.nominal, chosen.valueField),
              std::tuple(12.5, 13.0, -0.5, 3));
    try {
        cli::parseOptions({"--upper-limit", "12,5", "f"});
        ADD_FAILURE();
    } catch (const cli::UsageError& error) {
        EXPECT_STREQ(error.what(), "--upper-limit: \"12,5\" is not a number");
    }
}

// The command line's history choices over what the window remembers; a plant database needs a
// history to send from.
TEST(OptionsTest, HistoryChoicesFollowTheWindowUnlessTheCommandLineSaysOtherwise) {
    const history::HistoryChoices remembered{true, "", "service=quality"};
    const history::HistoryChoices none{false, "", "service=quality"};
    const struct {
        std::vector<std::string> arguments;
        history::HistoryChoices window;
        history::HistoryChoices taken;
    } cases[] = {
        {{"f"}, remembered, remembered},
        {{"--no-history", "f"}, remembered, {false, "", ""}},
        {{"--history", "h.sqlite", "f"}, none, {true, "h.sqlite", "service=quality"}},
        {{"--database", "host=q dbname=d", "f"}, remembered, {true, "", "host=q dbname=d"}},
        {{"--characteristic", " Bore\t12 ", "f"}, none, {false, "", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli::historyChoicesFor(cli::parseOptions(c.arguments), c.window), c.taken)
            << c.arguments.front();
    }
    EXPECT_EQ(cli::parseOptions({"--characteristic", " Bore\t12 ", "f"}).summary.characteristic,
              "Bore 12");
    EXPECT_THROW(cli::historyChoicesFor(cli::parseOptions({"--database", "host=q", "f"}), none),
                 cli::UsageError);
}

}  // namespace
