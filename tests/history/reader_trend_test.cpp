// Repeats and continuations as the trend finds them, on both stores: the same memory read again,
// a download that holds an earlier one's lines and more, the latest of several, empty downloads,
// a first line shared by chance, and a repeat of a continuation.
#include <gtest/gtest.h>

#include "history/download_facts.h"
#include "reader_store.h"

namespace {

class TrendReaderTest : public readertest::ReaderTest {};

using history::KeptDownload;
using readertest::Store;

// Memory line k holds 1 + k/10 in field 2.
std::string line(int k) {
    return std::to_string(k) + "\t" + std::to_string(1 + k / 10.0);
}

KeptDownload download(const std::string& uid, const std::vector<std::string>& memory,
                      bool statistics = false, std::optional<double> lower = {},
                      std::optional<double> upper = {}) {
    pointsfile::ReceivedLines lines;
    pointsfile::DownloadRecord record;
    if (statistics) {
        lines.add(pointsfile::Section::Statistics, "N\t2");
        lines.add(pointsfile::Section::Statistics, "MIN\t1.1");
        record.includeStatistics = true;
        record.statisticsAnnounced = 2;
    }
    for (const std::string& text : memory) {
        lines.add(pointsfile::Section::Memory, text);
    }
    record.uid = uid;
    // One a minute, in the order made.
    static int minute = 0;
    record.pressedAt = "2026-12-07T10:" + std::string(minute < 10 ? "0" : "") +
                       std::to_string(minute % 60) + ":00+01:00";
    ++minute;
    record.endedAt = record.pressedAt;
    record.rowsReceived = static_cast<int>(lines.size());
    return history::keptDownloadOf(record, {lower, upper, {}, 2, {}}, lines);
}

std::vector<std::string> lines(int from, int to) {
    std::vector<std::string> made;
    for (int k = from; k <= to; ++k) {
        made.push_back(line(k));
    }
    return made;
}

TEST_P(TrendReaderTest, RepeatsAndContinuationsFoundNewLinesCounted) {
    std::vector<std::string> chance = {line(1), "2\t9.0", "3\t9.1", "4\t9.2"};
    std::vector<std::string> more = lines(1, 5);
    more.push_back("8\t1.9");
    const auto reader = kept({
        download("A", lines(1, 3), true),
        download("B", lines(1, 3)),
        download("C", lines(1, 5), true, 1.42, 2.0),
        download("D", lines(1, 7)),
        download("E", {}),
        download("F", {}, true),
        download("G", chance),
        download("H", lines(1, 5)),
        download("I", more),
    });
    const struct {
        const char* uid;
        const char* repeatOf;
        const char* continues;
        int counted;
        std::optional<double> mean;
        std::optional<int> belowLsl;
    } expected[] = {
        {"A", "", "", 3, 1.2, {}},
        {"B", "A", "", 3, 1.2, {}},
        // The latest of A and B, whose lines are the same.
        {"C", "", "B", 2, 1.45, 1},
        {"D", "", "C", 2, 1.65, {}},
        {"E", "", "", 0, {}, {}},
        {"F", "E", "", 0, {}, {}},
        {"G", "", "", 4, 7.1, {}},
        // As C continues B, at its own limits (none).
        {"H", "C", "B", 2, 1.45, {}},
        {"I", "", "H", 1, 1.9, {}},
    };
    const std::vector<history::TrendRow> rows = history::trendRows(*reader, {});
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const KeptDownload& d = rows[i].download;
        EXPECT_EQ(d.uid, expected[i].uid);
        EXPECT_EQ(rows[i].repeatOf, expected[i].repeatOf) << d.uid;
        EXPECT_EQ(rows[i].continues, expected[i].continues) << d.uid;
        EXPECT_EQ(d.counted, expected[i].counted) << d.uid;
        EXPECT_EQ(d.mean.has_value(), expected[i].mean.has_value()) << d.uid;
        EXPECT_NEAR(d.mean.value_or(0), expected[i].mean.value_or(0), 1e-12) << d.uid;
        EXPECT_EQ(d.belowLsl, expected[i].belowLsl) << d.uid;
    }
}

INSTANTIATE_TEST_SUITE_P(BothStores, TrendReaderTest, ::testing::Values(Store::Local, Store::Plant),
                         readertest::storeName);

}  // namespace
