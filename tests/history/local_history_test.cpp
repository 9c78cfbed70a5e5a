#include "history/local_history.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "history/local_queries.h"
#include "history/sqlite_database.h"
#include "history/sqlite_statement.h"
#include "kept_text.h"
#include "support/plant_server.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using history::KeptDownload;
using history::LocalHistory;
using history::SqliteDatabase;
using history::SqliteStatement;
using historytest::shown;
using planttest::hostileDownload;

// Each row of a query's first `columns` columns, joined.
std::string rowsOf(const std::string& path, const std::string& sql, int columns = 1) {
    const SqliteDatabase database(path, SqliteDatabase::Mode::ReadWrite);
    SqliteStatement statement(database, sql);
    std::string rows;
    while (statement.step()) {
        for (int column = 0; column < columns; ++column) {
            // Appended piece by piece: GCC 12 at -O3 takes "" + text for an overlapping copy.
            rows.append(column == 0 ? "" : " ").append(statement.text(column));
        }
        rows += ";";
    }
    return rows;
}

TEST(LocalHistoryTest, SchemaHasTheTablesColumnsTypesAndVersion) {
    const testsupport::TempFolder folder;
    const std::string path = folder.file("history.sqlite");
    LocalHistory(path, LocalHistory::Access::Write).add(hostileDownload("u1"));

    EXPECT_EQ(rowsOf(path, "PRAGMA user_version"), "1;");
    EXPECT_EQ(rowsOf(path, "PRAGMA journal_mode"), "wal;");
    EXPECT_EQ(rowsOf(path, "SELECT name, type FROM pragma_table_info('downloads')", 2),
              "id INTEGER;uid TEXT;program TEXT;program_version TEXT;host TEXT;account TEXT;"
              "pressed_at TEXT;ended_at TEXT;port TEXT;device TEXT;baud INTEGER;"
              "include_statistics INTEGER;include_deletes INTEGER;space_delimiters INTEGER;"
              "gauge_version TEXT;statistics_announced INTEGER;memory_announced INTEGER;"
              "rows_received INTEGER;rows_written INTEGER;ended_with TEXT;complete INTEGER;"
              "fingerprint TEXT;file TEXT;form TEXT;characteristic TEXT;lower_limit REAL;"
              "upper_limit REAL;nominal REAL;value_field INTEGER;unit TEXT;counted INTEGER;"
              "mean REAL;standard_deviation REAL;minimum REAL;maximum REAL;"
              "average_moving_range REAL;cp REAL;cpk REAL;pp REAL;ppk REAL;below_lsl INTEGER;"
              "above_usl INTEGER;sent_at TEXT;");
    EXPECT_EQ(rowsOf(path, "SELECT name, type, pk FROM pragma_table_info('points')", 3),
              "download_id INTEGER 1;position INTEGER 2;section TEXT 0;line TEXT 0;"
              "deleted INTEGER 0;counted INTEGER 0;value REAL 0;");
    EXPECT_EQ(
        rowsOf(path, "SELECT \"table\", \"to\", on_delete FROM pragma_foreign_key_list('points')",
               3),
        "downloads id CASCADE;");

    // One characteristic's downloads by time: straight from the index, no sort.
    const std::string plan =
        rowsOf(path, std::string("EXPLAIN QUERY PLAN ").append(history::kListOneCharacteristic), 4);
    EXPECT_NE(plan.find("USING INDEX downloads_by_characteristic (characteristic=?)"),
              std::string::npos)
        << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
}

TEST(LocalHistoryTest, ADownloadComesBackExactlyAndATwiceAddedUidIsStoredOnce) {
    const testsupport::TempFolder folder;
    const std::string path = folder.file("history.sqlite");
    LocalHistory history(path, LocalHistory::Access::Write);
    KeptDownload hostile = hostileDownload("u1");
    hostile.file = std::string("/tmp/a\0b';--.csv", 16);
    history.add(hostile);
    KeptDownload again = hostileDownload("u1");
    again.endedWith = "Terminated";
    history.add(again);

    const std::optional<KeptDownload> back =
        LocalHistory(path, LocalHistory::Access::Read).read("u1");
    ASSERT_TRUE(back);
    EXPECT_EQ(shown(*back), shown(hostile));
    EXPECT_EQ(back->file.size(), 16u);
    EXPECT_FALSE(history.read("u2"));
    EXPECT_EQ(rowsOf(path, "SELECT count(*) FROM points"), "3;");
}

TEST(LocalHistoryTest, WaitingCountsAndListingsByCharacteristicAndTime) {
    const testsupport::TempFolder folder;
    LocalHistory history(folder.file("history.sqlite"), LocalHistory::Access::Write);
    for (const auto& [uid, characteristic, pressedAt] :
         {std::tuple{"late", "bore", "2026-12-07T16:00:00+01:00"},
          {"other", "shaft", "2026-12-07T15:00:00+01:00"},
          {"early", "bore", "2026-12-07T09:00:00+01:00"}}) {
        KeptDownload download = hostileDownload(uid);
        download.characteristic = characteristic;
        download.pressedAt = pressedAt;
        history.add(download);
    }
    EXPECT_EQ(history.waitingUids(), (std::vector<std::string>{"late", "other", "early"}));
    history.markSent("other", "2026-12-07T17:00:00+01:00");
    history.markSent("other", "2026-12-08T17:00:00+01:00");  // the first sending stands
    history.markSent("unknown", "2026-12-07T17:00:00+01:00");
    EXPECT_EQ(history.waitingUids(), (std::vector<std::string>{"late", "early"}));
    EXPECT_EQ(history.counts().downloads, 3);
    EXPECT_EQ(history.counts().waiting, 2);
    EXPECT_EQ(rowsOf(history.path(), "SELECT sent_at FROM downloads WHERE uid = 'other'"),
              "2026-12-07T17:00:00+01:00;");

    const auto uids = [](const std::vector<KeptDownload>& list) {
        std::string text;
        for (const KeptDownload& download : list) {
            text += download.uid + (download.points.empty() ? " " : "+points ");
        }
        return text;
    };
    EXPECT_EQ(uids(history.list("bore")), "early late ");
    EXPECT_EQ(uids(history.list(std::nullopt)), "early other late ");
    EXPECT_EQ(history.list("shaft").at(0).mean, 0.1 + 0.2);
}

// Two programs ending a download each at the same moment into one new file: both land.
TEST(LocalHistoryTest, TwoWritersAtOnceBothLand) {
    const testsupport::TempFolder folder;
    const std::string path = folder.file("shared/history.sqlite");
    constexpr int kEach = 15;
    const auto write = [&path](const std::string& who) {
        LocalHistory history(path, LocalHistory::Access::Write);
        KeptDownload download = hostileDownload("");
        download.points.resize(2000, download.points.back());
        for (int i = 0; i < kEach; ++i) {
            download.uid = who + std::to_string(i);
            history.add(download);
        }
    };
#ifdef _WIN32
    std::thread other(write, "thread-");
    write("main-");
    other.join();
#else
    const pid_t child = fork();
    if (child == 0) {
        int status = 0;
        try {
            write("child-");
        } catch (...) {
            status = 1;
        }
        _exit(status);
    }
    ASSERT_GT(child, 0);
    write("parent-");
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#endif
    EXPECT_EQ(LocalHistory(path, LocalHistory::Access::Read).counts().downloads, 2 * kEach);
    EXPECT_EQ(rowsOf(path, "SELECT count(*) FROM points"), std::to_string(2 * kEach * 2000) + ";");
}

}  // namespace
