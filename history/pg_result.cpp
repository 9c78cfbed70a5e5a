#include "history/pg_result.h"

#include <utility>

namespace history {

PgResult::~PgResult() {
    PQclear(m_result);
}

PgResult::PgResult(PgResult&& other) noexcept : m_result(std::exchange(other.m_result, nullptr)) {}

ExecStatusType PgResult::status() const {
    return m_result != nullptr ? PQresultStatus(m_result) : PGRES_FATAL_ERROR;
}

int PgResult::rows() const {
    return PQntuples(m_result);
}

std::string PgResult::text(int row, int column) const {
    return {PQgetvalue(m_result, row, column),
            static_cast<std::size_t>(PQgetlength(m_result, row, column))};
}

// The primary message names what was refused ("permission denied for table points"); the detail,
// where the server gives one, says which value.
std::string PgResult::error() const {
    const char* primary = PQresultErrorField(m_result, PG_DIAG_MESSAGE_PRIMARY);
    if (primary == nullptr) {
        return oneLine(PQresultErrorMessage(m_result));
    }
    std::string message = primary;
    if (const char* detail = PQresultErrorField(m_result, PG_DIAG_MESSAGE_DETAIL)) {
        message += " (" + oneLine(detail) + ")";
    }
    return message;
}

std::string oneLine(const char* message) {
    std::string line;
    for (const char* c = message; c != nullptr && *c != '\0'; ++c) {
        const bool blank = *c == '\n' || *c == '\t' || *c == ' ';
        if (!blank) {
            line += *c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

}  // namespace history
