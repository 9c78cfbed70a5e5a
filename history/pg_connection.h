#pragma once

#include <libpq-fe.h>

#include <string>
#include <string_view>

#include "history/pg_result.h"
#include "history/pg_values.h"

namespace history {

// One connection to the plant's PostgreSQL, finished with it. Every failure throws HistoryError
// naming the server as libpq reports it (database, host and port; never a password), the statement
// and the reason in libpq's or the server's words.
class PgConnection {
public:
    // The connection string is checked first: one that holds a password is refused.
    explicit PgConnection(const std::string& connectionString);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    PGconn* get() const { return m_connection; }
    const std::string& where() const { return m_where; }
    // The value libpq connected with for a keyword ("connect_timeout"); empty when none.
    std::string option(const char* keyword) const;

    // One statement, its values bound. Throws unless the server carried it out.
    PgResult exec(std::string_view statement, const char* sql, const PgValues& values = {});
    // Statements of the program's own, with no values, in one round trip.
    void execScript(std::string_view statement, const char* sql);
    // Readies a statement by name for many executions.
    void prepare(std::string_view statement, const char* name, const char* sql, int parameters);

    // The result of a statement sent without waiting, or throws with the server's reason.
    void check(std::string_view statement, const PgResult& result) const;
    [[noreturn]] void fail(std::string_view statement, const std::string& reason) const;

private:
    PGconn* m_connection = nullptr;
    std::string m_where;
};

// The values as libpq takes them: pointers into the strings, NULL for an empty optional. A NUL
// byte, which would cut a value short in silence, is refused.
class PgParameters {
public:
    PgParameters(const PgConnection& connection, std::string_view statement,
                 const PgValues& values);
    int count() const { return static_cast<int>(m_pointers.size()); }
    const char* const* values() const { return m_pointers.data(); }

private:
    std::vector<const char*> m_pointers;
};

}  // namespace history
