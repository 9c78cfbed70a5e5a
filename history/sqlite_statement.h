#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace history {

class SqliteDatabase;

// A prepared statement: every value goes in bound, by position (from 1) or by name (":uid"),
// never pasted into the SQL.
class SqliteStatement {
public:
    SqliteStatement(const SqliteDatabase& database, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void bind(int index, std::nullopt_t);
    void bind(int index, std::int64_t value);
    void bind(int index, int value) { bind(index, std::int64_t{value}); }
    void bind(int index, double value);
    // Copied by SQLite, so the text may go before the statement runs.
    void bind(int index, std::string_view text);
    template <class T>
    void bind(int index, const std::optional<T>& value) {
        if (value) {
            bind(index, *value);
        } else {
            bind(index, std::nullopt);
        }
    }
    template <class T>
    void bind(const std::string& name, const T& value) {
        bind(indexOf(name), value);
    }

    // True while a row is there to read; false once the statement is done.
    bool step();
    // Ready to run again; the bound values stay until bound anew.
    void reset();

    int columnCount() const;
    std::string_view columnName(int column) const;
    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;

private:
    int indexOf(const std::string& name) const;
    void check(int status) const;

    const SqliteDatabase& m_database;
    sqlite3_stmt* m_statement = nullptr;
};

}  // namespace history
