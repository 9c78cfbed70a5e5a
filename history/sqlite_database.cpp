#include "history/sqlite_database.h"

#include <sqlite3.h>

#include <system_error>

#include "history/history_error.h"

namespace history {

namespace {

// Enough of a statement to tell which one failed.
constexpr std::size_t kStatementShown = 72;

std::string brief(std::string_view sql) {
    std::string shown;
    for (const char c : sql) {
        const bool blank = c == ' ' || c == '\n' || c == '\t';
        if (blank && (shown.empty() || shown.back() == ' ')) {
            continue;
        }
        shown += blank ? ' ' : c;
    }
    if (shown.size() > kStatementShown) {
        const std::size_t cut = shown.rfind(' ', kStatementShown);
        shown.resize(cut == std::string::npos ? kStatementShown : cut);
        shown += " ...";
    }
    return shown;
}

int openFlags(SqliteDatabase::Mode mode) {
    return mode == SqliteDatabase::Mode::Create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                                : SQLITE_OPEN_READWRITE;
}

}  // namespace

SqliteDatabase::SqliteDatabase(const std::string& path, Mode mode) : m_path(path) {
    // Paths are UTF-8, which is what sqlite3_open_v2 takes on every system.
    const int status =
        sqlite3_open_v2(path.c_str(), &m_db, openFlags(mode) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (status != SQLITE_OK) {
        std::string reason = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(status);
        if (const int system = m_db != nullptr ? sqlite3_system_errno(m_db) : 0; system != 0) {
            reason += " (" + std::system_category().message(system) + ")";
        }
        sqlite3_close(m_db);
        m_db = nullptr;
        throw HistoryError(path, "cannot be opened: " + reason);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyWaitMs);
}

SqliteDatabase::~SqliteDatabase() {
    // Every statement and transaction is finalized by its own object first.
    sqlite3_close(m_db);
}

SqliteDatabase::SqliteDatabase(SqliteDatabase&& other) noexcept
    : m_path(std::move(other.m_path)), m_db(other.m_db) {
    other.m_db = nullptr;
}

void SqliteDatabase::execute(const std::string& sql) {
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(sql);
    }
}

std::int64_t SqliteDatabase::lastInsertId() const {
    return sqlite3_last_insert_rowid(m_db);
}

int SqliteDatabase::changes() const {
    return sqlite3_changes(m_db);
}

void SqliteDatabase::fail(std::string_view sql) const {
    std::string reason = sqlite3_errmsg(m_db);
    reason += ", running: ";
    reason += brief(sql);
    throw HistoryError(m_path, reason);
}

}  // namespace history
