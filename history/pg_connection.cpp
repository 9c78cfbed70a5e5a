#include "history/pg_connection.h"

#include <cstring>

#include "history/connection_string.h"
#include "history/history_error.h"
#include "history/plant_database.h"

namespace history {

namespace {

std::string orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

std::vector<const char*> pointers(const std::vector<std::string>& texts) {
    std::vector<const char*> result;
    result.reserve(texts.size() + 1);
    for (const std::string& text : texts) {
        result.push_back(text.c_str());
    }
    result.push_back(nullptr);
    return result;
}

}  // namespace

PgConnection::PgConnection(const std::string& connectionString) {
    checkConnectionString(connectionString);
    const ConnectionParameters parameters = connectionParameters(connectionString);
    m_connection = PQconnectdbParams(pointers(parameters.keywords).data(),
                                     pointers(parameters.values).data(), 1);
    if (m_connection == nullptr) {
        throw HistoryError("plant database", "libpq is out of memory");
    }
    m_where = serverName(orEmpty(PQdb(m_connection)), orEmpty(PQhost(m_connection)),
                         orEmpty(PQport(m_connection)));
    if (PQstatus(m_connection) != CONNECTION_OK) {
        const std::string reason =
            oneLine(PQerrorMessage(m_connection)) + backslashHint(connectionString);
        PQfinish(m_connection);
        throw HistoryError(m_where, reason);
    }
    // The server's notices ("relation ... already exists, skipping") are no operator's concern;
    // libpq would print them on standard error.
    PQsetNoticeProcessor(
        m_connection, [](void*, const char*) {}, nullptr);
}

PgConnection::~PgConnection() {
    PQfinish(m_connection);
}

std::string PgConnection::option(const char* keyword) const {
    std::string value;
    PQconninfoOption* options = PQconninfo(m_connection);
    for (const PQconninfoOption* o = options; o != nullptr && o->keyword != nullptr; ++o) {
        if (std::strcmp(o->keyword, keyword) == 0) {
            value = orEmpty(o->val);
        }
    }
    PQconninfoFree(options);
    return value;
}

PgResult PgConnection::exec(std::string_view statement, const char* sql, const PgValues& values) {
    const PgParameters parameters(*this, statement, values);
    PgResult result(PQexecParams(m_connection, sql, parameters.count(), nullptr,
                                 parameters.values(), nullptr, nullptr, 0));
    check(statement, result);
    return result;
}

void PgConnection::execScript(std::string_view statement, const char* sql) {
    check(statement, PgResult(PQexec(m_connection, sql)));
}

void PgConnection::prepare(std::string_view statement, const char* name, const char* sql,
                           int parameters) {
    check(statement, PgResult(PQprepare(m_connection, name, sql, parameters, nullptr)));
}

void PgConnection::check(std::string_view statement, const PgResult& result) const {
    const ExecStatusType status = result.status();
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        return;
    }
    // A connection that broke leaves no result, only libpq's message.
    fail(statement,
         result.get() != nullptr ? result.error() : oneLine(PQerrorMessage(m_connection)));
}

void PgConnection::fail(std::string_view statement, const std::string& reason) const {
    throw HistoryError(m_where, std::string(statement) + ": " + reason);
}

PgParameters::PgParameters(const PgConnection& connection, std::string_view statement,
                           const PgValues& values) {
    m_pointers.reserve(values.size());
    for (const std::optional<std::string>& value : values) {
        if (value && value->find('\0') != std::string::npos) {
            connection.fail(statement, "a value holds a NUL byte, which PostgreSQL's text cannot");
        }
        m_pointers.push_back(value ? value->c_str() : nullptr);
    }
}

}  // namespace history
