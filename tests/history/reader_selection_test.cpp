// The reader's selection, on both stores: each filter alone and combined, days in the reader's
// time zone compared as instants; a download and its memory points as kept; a history read while
// a download is being kept.
#include <gtest/gtest.h>

#include "history/sqlite_database.h"
#include "history/sqlite_transaction.h"
#include "kept_text.h"
#include "reader_store.h"

namespace {

class SelectionReaderTest : public readertest::ReaderTest {};

using history::KeptDownload;
using history::Selection;
using readertest::Store;

KeptDownload download(const std::string& uid, const std::string& pressedAt,
                      std::optional<std::string> characteristic, const std::string& host,
                      bool complete) {
    KeptDownload d = planttest::hostileDownload(uid);
    d.pressedAt = pressedAt;
    d.characteristic = std::move(characteristic);
    d.host = host;
    d.complete = complete;
    return d;
}

// Kept out of time order; b is 21:00 on the 6th in New York, d 23:30 on the 7th, e (a station on
// UTC) half an hour after c though its text sorts before c's.
const std::vector<KeptDownload> kDownloads = {
    download("a", "2026-12-01T08:00:00+01:00", "Bore", "line-1", true),
    download("e", "2026-12-07T09:30:00+00:00", "Length", "o'hare", true),
    download("d", "2026-12-08T05:30:00+01:00", "Length", "line-1", true),
    download("b", "2026-12-07T03:00:00+01:00", "Bore", "line-2", false),
    download("c", "2026-12-07T10:00:00+01:00", std::nullopt, "line-1", true),
};

Selection selected(std::optional<std::string> characteristic = {},
                   std::optional<std::string> since = {}, std::optional<std::string> until = {},
                   std::optional<std::string> host = {}, bool completeOnly = false) {
    return {std::move(characteristic), std::move(since), std::move(until), std::move(host),
            completeOnly};
}

std::string pointsShown(std::vector<history::KeptPoint> points) {
    KeptDownload only;
    only.points = std::move(points);
    return historytest::shown(only);
}

std::string uids(const std::vector<KeptDownload>& downloads) {
    std::string text;
    for (const KeptDownload& d : downloads) {
        text += d.uid;
    }
    return text;
}

TEST_P(SelectionReaderTest, EachFilterAloneAndCombinedOldestFirst) {
    const readertest::TimeZone newYork("EST5EDT");
    const auto reader = kept(kDownloads);
    const struct {
        Selection selection;
        const char* uids;
    } cases[] = {
        {selected(), "abced"},
        {selected("Bore"), "ab"},
        {selected(""), "c"},
        {selected({}, "2026-12-07"), "ced"},
        {selected({}, {}, "2026-12-06"), "ab"},
        {selected({}, "2026-12-07", "2026-12-07"), "ced"},
        {selected({}, {}, {}, "line-1"), "acd"},
        {selected({}, {}, {}, "o'hare"), "e"},
        {selected({}, {}, {}, {}, true), "aced"},
        {selected("Length", "2026-12-07", {}, "line-1", true), "d"},
        {selected("Bore", "2026-12-08"), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(uids(reader->select(c.selection)), c.uids)
            << c.selection.characteristic.value_or("*") << " " << c.selection.since.value_or("*")
            << " " << c.selection.until.value_or("*") << " " << c.selection.host.value_or("*");
    }
    EXPECT_EQ(reader->characteristics(), (std::vector<std::string>{"Bore", "Length"}));
}

// A download comes back whole, its times as instants in the reader's zone from the plant's
// timestamptz; its memory points counted from the first memory line, past the statistics.
TEST_P(SelectionReaderTest, ADownloadAndItsMemoryPointsComeBackAsKept) {
    const readertest::TimeZone newYork("EST5EDT");
    const auto reader = kept({kDownloads[3]});
    KeptDownload expected = kDownloads[3];
    if (GetParam() == Store::Plant) {
        expected.pressedAt = "2026-12-06T21:00:00-05:00";
        expected.endedAt = "2026-12-07T08:16:10-05:00";
    }
    EXPECT_EQ(historytest::shown(reader->read("b").value()), historytest::shown(expected));
    EXPECT_EQ(reader->read("x"), std::nullopt);
    expected.points.erase(expected.points.begin());
    EXPECT_EQ(pointsShown(reader->memoryPoints("b", 0, 9)), pointsShown(expected.points));
    EXPECT_EQ(reader->memoryPoints("b", 1, 1).at(0).line, "D2\t'\\\"");
    EXPECT_TRUE(reader->memoryPoints("b", 2, 1).empty());
    EXPECT_TRUE(reader->memoryPoints("x", 0, 1).empty());
    const std::string first = expected.points.front().line;
    EXPECT_EQ(reader->firstMemoryLines({"b", "x\",\\", "b"}),
              (std::vector<std::string>{first, "", first}));
}

INSTANTIATE_TEST_SUITE_P(BothStores, SelectionReaderTest,
                         ::testing::Values(Store::Local, Store::Plant), readertest::storeName);

// A download ending while the reader has the history open: the reader goes on reading what was
// committed, never waiting for the writer, and sees the new state once it is committed.
TEST(ReaderWhileWritten, ReadsWhileADownloadIsBeingKept) {
    const testsupport::TempFolder folder;
    const std::string path = folder.file("history.sqlite");
    history::LocalHistory(path, history::LocalHistory::Access::Write).add(kDownloads[0]);
    const auto reader = history::openLocalReader(path);
    history::SqliteDatabase writer(path, history::SqliteDatabase::Mode::ReadWrite);
    {
        history::SqliteTransaction transaction(writer);
        writer.execute("UPDATE downloads SET host = 'line-9'");
        EXPECT_EQ(reader->select({}).at(0).host, "line-1");
        transaction.commit();
    }
    EXPECT_EQ(reader->select({}).at(0).host, "line-9");
}

}  // namespace
