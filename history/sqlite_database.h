#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;

namespace history {

// How long a connection waits for another program's lock: long enough for another program's
// whole download to be written while this one waits.
inline constexpr int kBusyWaitMs = 10000;

// One connection to an SQLite file, closed with the object. Every failure throws HistoryError
// naming the file and, where one failed, the statement.
class SqliteDatabase {
public:
    // ReadWrite opens a file that is there (read only when the system will not let it be
    // written); Create makes it when it is not.
    enum class Mode { ReadWrite, Create };

    SqliteDatabase(const std::string& path, Mode mode);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;
    SqliteDatabase(SqliteDatabase&& other) noexcept;
    SqliteDatabase& operator=(SqliteDatabase&&) = delete;

    // Statements that take no values: the schema, pragmas.
    void execute(const std::string& sql);
    std::int64_t lastInsertId() const;
    // Rows the latest INSERT, UPDATE or DELETE changed.
    int changes() const;

    const std::string& path() const { return m_path; }
    sqlite3* handle() const { return m_db; }
    // SQLite's reason for the latest failure, with the statement it concerns.
    [[noreturn]] void fail(std::string_view sql) const;

private:
    std::string m_path;
    sqlite3* m_db = nullptr;
};

}  // namespace history
