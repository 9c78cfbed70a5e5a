#include "history/sqlite_statement.h"

#include <sqlite3.h>

#include "history/history_error.h"
#include "history/sqlite_database.h"

namespace history {

SqliteStatement::SqliteStatement(const SqliteDatabase& database, std::string_view sql)
    : m_database(database) {
    if (sqlite3_prepare_v2(database.handle(), sql.data(), static_cast<int>(sql.size()),
                           &m_statement, nullptr) != SQLITE_OK) {
        database.fail(sql);
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

void SqliteStatement::check(int status) const {
    if (status != SQLITE_OK) {
        m_database.fail(sqlite3_sql(m_statement));
    }
}

int SqliteStatement::indexOf(const std::string& name) const {
    const int index = sqlite3_bind_parameter_index(m_statement, name.c_str());
    if (index == 0) {
        std::string reason = "no parameter ";
        reason += name;
        reason += " to bind, running: ";
        reason += sqlite3_sql(m_statement);
        throw HistoryError(m_database.path(), reason);
    }
    return index;
}

void SqliteStatement::bind(int index, std::nullopt_t) {
    check(sqlite3_bind_null(m_statement, index));
}

void SqliteStatement::bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(m_statement, index, value));
}

void SqliteStatement::bind(int index, double value) {
    check(sqlite3_bind_double(m_statement, index, value));
}

void SqliteStatement::bind(int index, std::string_view text) {
    // With its length, so that no byte of it ends it early.
    check(sqlite3_bind_text64(m_statement, index, text.data(), text.size(), SQLITE_TRANSIENT,
                              SQLITE_UTF8));
}

bool SqliteStatement::step() {
    const int status = sqlite3_step(m_statement);
    if (status == SQLITE_ROW) {
        return true;
    }
    if (status != SQLITE_DONE) {
        m_database.fail(sqlite3_sql(m_statement));
    }
    return false;
}

void SqliteStatement::reset() {
    sqlite3_reset(m_statement);
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(m_statement);
}

std::string_view SqliteStatement::columnName(int column) const {
    return sqlite3_column_name(m_statement, column);
}

bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::real(int column) const {
    return sqlite3_column_double(m_statement, column);
}

std::string SqliteStatement::text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return bytes == nullptr ? std::string() : std::string(bytes, static_cast<std::size_t>(size));
}

}  // namespace history
