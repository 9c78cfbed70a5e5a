#pragma once

#include <string>
#include <string_view>

#include "history/pg_connection.h"

namespace history {

// Many executions of prepared statements, sent without waiting for each answer (libpq's
// pipeline mode): a full download's 32,767 points cost a few dozen round trips, not 32,767. The
// answers are read every so many executions, so that neither side's socket buffer fills while the
// other waits.
class PgPipeline {
public:
    PgPipeline(PgConnection& connection, std::string_view statement);
    ~PgPipeline();
    PgPipeline(const PgPipeline&) = delete;
    PgPipeline& operator=(const PgPipeline&) = delete;

    void add(const char* preparedName, const PgValues& values);
    // Reads every answer still owed; throws with the first refusal.
    void finish();

private:
    void sync();

    PgConnection& m_connection;
    std::string m_statement;
    int m_queued = 0;
};

}  // namespace history
