#include "history/download_facts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pointsfile/summary_figures.h"

namespace {

using pointsfile::Section;

// Lines one a row, "S:" before a statistics line.
pointsfile::ReceivedLines linesOf(std::string_view rows) {
    pointsfile::ReceivedLines lines;
    while (!rows.empty()) {
        const std::string_view row = rows.substr(0, rows.find('\n'));
        rows.remove_prefix(std::min(rows.size(), row.size() + 1));
        if (row.substr(0, 2) == "S:") {
            lines.add(Section::Statistics, row.substr(2));
        } else {
            lines.add(Section::Memory, row);
        }
    }
    return lines;
}

// The figures in order, NULL for none.
std::string figures(std::initializer_list<std::optional<double>> values) {
    std::string text;
    for (const std::optional<double>& value : values) {
        text += (value ? std::to_string(*value) : "NULL") + " ";
    }
    return text;
}

// The memory lines' bytes as the gauge sent them, each followed by "\n":
// printf '1\t12.0034\tmm\nD2\t12.0100\tmm\n3\t12.0200\t\265m\n' | sha256sum
TEST(DownloadFactsTest, FingerprintIsTheMemoryLinesAsSent) {
    const auto lines = linesOf("S:N\t3\n1\t12.0034\tmm\nD2\t12.0100\tmm\n3\t12.0200\t\xB5m");
    EXPECT_EQ(history::keptDownloadOf({}, {}, lines).fingerprint,
              "b09a02c035dc5074b87b1705ec876aaf4f169417dd9b1ec8227e3b5e99b1e407");
}

// The history's figures are the workbook Summary's, by the same functions over the counted
// values: deleted points and statistics lines do not count.
TEST(DownloadFactsTest, FiguresAreTheSummarysOfTheCountedValues) {
    // The choices are made in the loop, not held in the table: GCC 12 at -O3 takes a table of
    // structs that hold a string for one read uninitialized.
    const struct {
        std::optional<double> lower, upper, nominal;
        std::optional<int> chosenField;
        const char* characteristic;
        const char* lines;
        std::vector<double> counted;
        std::optional<int> valueField;
        std::optional<std::string> unit;
    } cases[] = {
        {12.0,
         12.1,
         12.05,
         {},
         "bore",
         "S:X\t12.5\tmm\n1\t12.0034\tmm\nD2\t13.0000\tmm\n3\t12.0800\tmm\n4\t11.9900\tmm",
         {12.0034, 12.08, 11.99},
         2,
         "mm"},
        {{}, {}, {}, {}, "", "1\t0.5\tmm\n2\t0.7\tin", {0.5, 0.7}, 2, std::nullopt},  // units
                                                                                      // differ
        {{}, {}, {}, 1, "", "7\t0.5\t\xB5m", {7}, 1, "0.5"},  // the field the choices name
        {{}, {}, {}, {}, "", "D1\t0.5\nx", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        pointsfile::SummaryChoices choices;
        choices.lowerLimit = c.lower;
        choices.upperLimit = c.upper;
        choices.nominal = c.nominal;
        choices.valueField = c.chosenField;
        choices.characteristic = c.characteristic;
        pointsfile::ValueStatistics statistics(choices);
        for (const double value : c.counted) {
            statistics.add(value);
        }
        const pointsfile::SummaryFigures f = statistics.figures();
        const history::KeptDownload kept = history::keptDownloadOf({}, choices, linesOf(c.lines));
        EXPECT_EQ(kept.valueField, c.valueField);
        EXPECT_EQ(kept.unit, c.unit);
        EXPECT_EQ(kept.counted, int(c.counted.size()));
        EXPECT_EQ(figures({kept.mean, kept.standardDeviation, kept.minimum, kept.maximum,
                           kept.averageMovingRange, kept.cp, kept.cpk, kept.pp, kept.ppk,
                           kept.belowLsl, kept.aboveUsl}),
                  figures({f.mean.value, f.standardDeviation.value, f.minimum.value,
                           f.maximum.value, f.averageMovingRange.value, f.cp.value, f.cpk.value,
                           f.pp.value, f.ppk.value, f.belowLower.value, f.aboveUpper.value}));
        EXPECT_EQ(kept.characteristic, choices.characteristic.empty()
                                           ? std::nullopt
                                           : std::optional(choices.characteristic));
    }
}

TEST(DownloadFactsTest, RecordColumnsAndEachPointsMarks) {
    pointsfile::DownloadRecord record;
    record.baudRate = "9600";
    record.endMessage = "Transfer Complete - Data saved in file C:\\M\xFCller.csv";
    const history::KeptDownload kept = history::keptDownloadOf(
        record, {}, linesOf(std::string("S:D1\t12.5\nD1\t12.5\n2\t14.5\t\0", 26)));
    EXPECT_EQ(kept.baud, 9600);
    EXPECT_EQ(kept.gaugeVersion, std::nullopt);
    EXPECT_EQ(kept.endedWith, "Transfer Complete - Data saved in file C:\\M\xC3\xBCller.csv");
    ASSERT_EQ(kept.points.size(), 3u);
    EXPECT_FALSE(kept.points[0].deleted);  // only memory points are marked deleted
    EXPECT_TRUE(kept.points[1].deleted);
    EXPECT_EQ(kept.points[2].line, "2\t14.5\t\xE2\x90\x80");
    EXPECT_EQ(kept.points[2].value, 14.5);
    record.baudRate = "96OO";
    EXPECT_EQ(history::keptDownloadOf(record, {}, {}).baud, std::nullopt);
}

TEST(DownloadFactsTest, TextsAreStoredAsUtf8AndGaugeBytesComeBack) {
    const struct {
        std::string given;
        std::string gaugeStored;  // storedText, of the gauge's bytes
        std::string otherStored;  // storedUtf8, of a text meant as UTF-8
    } cases[] = {
        {"plain", "plain", "plain"},
        {std::string("a\0z", 3), "a\xE2\x90\x80z", "a\xE2\x90\x80z"},
        {"\xB5m \xFF", "\xC2\xB5m \xC3\xBF", "\xC2\xB5m \xC3\xBF"},
        {"M\xC3\xBCller", "M\xC3\x83\xC2\xBCller", "M\xC3\xBCller"},
        {"\xE2\x90\x80", "\xC3\xA2\xC2\x90\xC2\x80", "\xE2\x90\x80"},
        {"\xC0\xAF overlong", "\xC3\x80\xC2\xAF overlong", "\xC3\x80\xC2\xAF overlong"},
        {"\xED\xA0\x80 surrogate", "\xC3\xAD\xC2\xA0\xC2\x80 surrogate",
         "\xC3\xAD\xC2\xA0\xC2\x80 surrogate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(history::storedText(c.given), c.gaugeStored);
        EXPECT_EQ(history::gaugeBytesOf(c.gaugeStored), c.given);
        EXPECT_EQ(history::storedUtf8(c.given), c.otherStored);
    }
}

}  // namespace
