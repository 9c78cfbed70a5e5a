#pragma once

#include <libpq-fe.h>

#include <string>

namespace history {

// One answer of the server, cleared with it.
class PgResult {
public:
    explicit PgResult(PGresult* result) : m_result(result) {}
    ~PgResult();
    PgResult(PgResult&& other) noexcept;
    PgResult& operator=(PgResult&& other) = delete;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;

    PGresult* get() const { return m_result; }
    ExecStatusType status() const;
    int rows() const;
    std::string text(int row, int column) const;
    // The server's own words when it refused the statement, on one line; empty otherwise.
    std::string error() const;

private:
    PGresult* m_result = nullptr;
};

// libpq's message, which may run over several lines, on one line.
std::string oneLine(const char* message);

}  // namespace history
