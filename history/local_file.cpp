#include "history/local_file.h"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "history/history_error.h"
#include "history/local_schema.h"
#include "history/network_share.h"
#include "history/sqlite_database.h"
#include "history/sqlite_statement.h"
#include "pointsfile/utf8_path.h"

namespace history {

namespace {

namespace fs = std::filesystem;
using pointsfile::pathOfUtf8;

// Every SQLite database begins so.
constexpr std::string_view kSqliteHeader{"SQLite format 3\0", 16};

// The nearest folder of the path that is there, which a history to be made would be made in.
std::string existingFolderOf(const std::string& path) {
    std::error_code error;
    fs::path folder = fs::absolute(pathOfUtf8(path), error).parent_path();
    while (!fs::exists(folder, error) && folder.has_relative_path()) {
        folder = folder.parent_path();
    }
    return pointsfile::utf8OfPath(folder);
}

// A file that does not begin as every SQLite database does is no history, and is left alone.
void refuseForeignBytes(const std::string& path) {
    std::ifstream file(pathOfUtf8(path), std::ios::binary);
    std::string header(kSqliteHeader.size(), '\0');
    file.read(header.data(), static_cast<std::streamsize>(header.size()));
    const std::streamsize read = file.gcount();
    if (file.bad() || read == 0 ||
        (read == std::streamsize(header.size()) && header == kSqliteHeader)) {
        return;  // empty (a new history), an SQLite file, or one SQLite will say why it cannot open
    }
    throw HistoryError(path,
                       "is not a history of downloads (not an SQLite database); it is left as it "
                       "is: name another file");
}

// The mode SQLite gives the file. Switching takes the file for itself and SQLite does not wait for
// that as it waits for a lock: while another program makes the same new history, it says "database
// is locked" at once. So the switch is tried again for as long as the busy timeout would wait.
std::string journalModeWal(SqliteDatabase& database) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyWaitMs);
    while (true) {
        try {
            SqliteStatement statement(database, "PRAGMA journal_mode = WAL");
            statement.step();
            return statement.text(0);
        } catch (const HistoryError&) {
            const int code = sqlite3_errcode(database.handle()) & 0xFF;
            if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) ||
                std::chrono::steady_clock::now() >= deadline) {
                throw;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void useWal(SqliteDatabase& database) {
    if (const std::string mode = journalModeWal(database); mode != "wal") {
        std::string reason = "cannot be kept in SQLite's WAL mode, which lets two programs write ";
        reason += "it at once (the mode stays ";
        reason += mode;
        reason += ")";
        throw HistoryError(database.path(), reason);
    }
}

}  // namespace

std::optional<SqliteDatabase> openLocalHistory(const std::string& path, bool write, bool create) {
    std::error_code error;
    const fs::file_status status = fs::status(pathOfUtf8(path), error);
    if (fs::is_directory(status)) {
        throw HistoryError(path, "is a folder, not a history file: name a file");
    }
    if (write) {
        if (const auto share = networkShareOf(existingFolderOf(path))) {
            throw HistoryError(
                path, "is on " + *share +
                          ": the history is written in SQLite's WAL mode, which needs this "
                          "computer's own disk. Keep the history on a local disk, and name a plant "
                          "database to share the downloads");
        }
    }
    const bool exists = fs::exists(status);
    if (!exists && !create) {
        return std::nullopt;
    }
    if (exists) {
        refuseForeignBytes(path);
    } else {
        const fs::path folder = pathOfUtf8(path).parent_path();
        if (!folder.empty() && !fs::create_directories(folder, error) && error) {
            throw HistoryError(path, "its folder cannot be made: " + error.message());
        }
    }
    if (!write) {
        // Opened for writing all the same, so that the last connection to close removes the WAL's
        // files, which a read-only one would leave behind; SQLite itself refuses every change.
        SqliteDatabase database(path, SqliteDatabase::Mode::ReadWrite);
        database.execute("PRAGMA query_only = ON");
        if (historyVersion(database) == 0) {
            return std::nullopt;  // an empty file: no history in it yet
        }
        return database;
    }
    SqliteDatabase database(path, SqliteDatabase::Mode::Create);
    historyVersion(database);  // refuses another program's file before anything is written
    useWal(database);
    // NORMAL: a commit is not synced on its own but with the checkpoint, which closing the
    // connection runs. A power cut may then lose the latest download from the history (never make
    // it inconsistent), as it may the rows the file holds; a program's crash loses nothing.
    database.execute("PRAGMA foreign_keys = ON; PRAGMA synchronous = NORMAL");
    prepareSchema(database);
    return database;
}

}  // namespace history
