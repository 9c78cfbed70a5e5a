#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "history/history_error.h"
#include "history/local_history.h"
#include "history/sqlite_database.h"
#include "support/plant_server.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using history::LocalHistory;
using history::SqliteDatabase;
using planttest::hostileDownload;
using testsupport::readBytes;

// The reason the history gave, or "" when it took the file.
std::string refusal(const std::function<void()>& use) {
    try {
        use();
    } catch (const history::HistoryError& error) {
        return error.reason();
    }
    return "";
}

std::string filesIn(const fs::path& folder) {
    std::string names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names += entry.path().filename().string() + " ";
    }
    return names;
}

// A file that is not a history, or not one this program may write, is refused in words and left
// byte for byte as it was: by both kinds of access, and by a download that ends after it came.
TEST(HistoryRefusalTest, AFileThatIsNotAWritableHistoryIsLeftAsItIs) {
    const testsupport::TempFolder folder;
    const struct {
        const char* sql;  // else a text file
        const char* reason;
    } cases[] = {
        {nullptr, "is not a history of downloads (not an SQLite database)"},
        {"CREATE TABLE cars (plate TEXT)",
         "is another program's SQLite database, not a history of downloads (its tables: cars)"},
        {"CREATE TABLE downloads (x); PRAGMA user_version = 1", "(its tables: downloads)"},
        {"CREATE TABLE downloads (x); CREATE TABLE points (y); PRAGMA user_version = 2",
         "is a history of a later version of this program (schema version 2; this one knows up "
         "to 1), so it is not written to"},
    };
    for (const auto& c : cases) {
        const std::string path = folder.file(std::to_string(&c - cases) + ".sqlite");
        SCOPED_TRACE(path);
        LocalHistory waiting(path, LocalHistory::Access::Write);  // the transfer's start
        if (c.sql != nullptr) {
            SqliteDatabase(path, SqliteDatabase::Mode::Create).execute(c.sql);
        } else {
            testsupport::writeBytes(path, "1\t12.0034\tmm\r\n");
        }
        const std::string before = readBytes(path);
        for (const auto access : {LocalHistory::Access::Write, LocalHistory::Access::Read}) {
            const std::string reason = refusal([&] { LocalHistory(path, access); });
            EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        }
        const std::string reason = refusal([&] { waiting.add(hostileDownload("v")); });
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        EXPECT_EQ(readBytes(path), before);
    }
}

TEST(HistoryRefusalTest, APlaceThatCannotHoldAHistoryIsNamedWithItsReason) {
    const testsupport::TempFolder folder;
    fs::create_directory(folder.path() / "history.sqlite");
    EXPECT_EQ(
        refusal([&] { LocalHistory(folder.file("history.sqlite"), LocalHistory::Access::Write); }),
        "is a folder, not a history file: name a file");
    // A history whose tables are not as they should be: the statement that failed, and why.
    const std::string damaged = folder.file("damaged.sqlite");
    SqliteDatabase(damaged, SqliteDatabase::Mode::Create)
        .execute("CREATE TABLE downloads (uid); CREATE TABLE points (x); PRAGMA user_version = 1");
    EXPECT_EQ(refusal([&] { LocalHistory(damaged, LocalHistory::Access::Write).add({}); }),
              "table downloads has no column named program, running: INSERT INTO downloads (uid, "
              "program, program_version, host, account, ...");
#ifndef _WIN32
    // Refused even to root, who writes into any folder of the temporary one.
    for (const auto& [path, reason] :
         {std::pair{"/proc/qorb/history.sqlite", "its folder cannot be made: "},
          {"/proc/history.sqlite", "cannot be opened: unable to open database file (No such"}}) {
        const std::string said = refusal(
            [path] { LocalHistory(path, LocalHistory::Access::Write).add(hostileDownload("u")); });
        EXPECT_EQ(said.rfind(reason, 0), 0u) << said;
    }
    if (geteuid() != 0) {
        fs::create_directory(folder.path() / "read-only");
        fs::permissions(folder.path() / "read-only", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(refusal([&] {
                      LocalHistory(folder.file("read-only/history.sqlite"),
                                   LocalHistory::Access::Write)
                          .add(hostileDownload("u"));
                  }),
                  "cannot be opened: unable to open database file (Permission denied)");
    }
#endif
}

// Starting a program, or asking how many downloads there are, writes nothing: the first download
// makes the folders and the file; an empty file becomes a history.
TEST(HistoryRefusalTest, OnlyTheFirstDownloadMakesTheHistory) {
    const testsupport::TempFolder folder;
    const std::string path = folder.file("data/qorb/history.sqlite");
    LocalHistory reader(path, LocalHistory::Access::Read);
    LocalHistory writer(path, LocalHistory::Access::Write);
    EXPECT_EQ(reader.counts().downloads, 0);
    EXPECT_TRUE(reader.waitingUids().empty());
    EXPECT_TRUE(reader.list(std::nullopt).empty());
    EXPECT_FALSE(reader.read("u"));
    EXPECT_EQ(filesIn(folder.path()), "");
    EXPECT_EQ(refusal([&] { reader.add(hostileDownload("u")); }), "is open for reading only");

    writer.add(hostileDownload("u"));
    EXPECT_EQ(reader.counts().downloads, 1);
    EXPECT_EQ(filesIn(folder.path() / "data/qorb"), "history.sqlite ");

    const std::string empty = folder.file("empty.sqlite");
    testsupport::writeBytes(empty, "");
    EXPECT_EQ(LocalHistory(empty, LocalHistory::Access::Read).counts().downloads, 0);
    EXPECT_EQ(readBytes(empty), "");
    LocalHistory(empty, LocalHistory::Access::Write).add(hostileDownload("u"));
    EXPECT_EQ(LocalHistory(empty, LocalHistory::Access::Read).counts().downloads, 1);
}

}  // namespace
