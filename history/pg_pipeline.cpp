#include "history/pg_pipeline.h"

#include <utility>

namespace history {

namespace {

// At most a few kB of answers from the server per batch, well within a socket's buffer.
constexpr int kBatch = 100;

}  // namespace

PgPipeline::PgPipeline(PgConnection& connection, std::string_view statement)
    : m_connection(connection), m_statement(statement) {
    if (PQenterPipelineMode(m_connection.get()) != 1) {
        m_connection.fail(m_statement, oneLine(PQerrorMessage(m_connection.get())));
    }
}

// After a failure the answers owed are read and dropped, so that the connection can still roll
// the transaction back.
PgPipeline::~PgPipeline() {
    if (m_queued > 0) {
        try {
            sync();
        } catch (...) {  // the first failure is already on its way
        }
    }
    PQexitPipelineMode(m_connection.get());
}

void PgPipeline::add(const char* preparedName, const PgValues& values) {
    const PgParameters parameters(m_connection, m_statement, values);
    if (PQsendQueryPrepared(m_connection.get(), preparedName, parameters.count(),
                            parameters.values(), nullptr, nullptr, 0) != 1) {
        m_connection.fail(m_statement, oneLine(PQerrorMessage(m_connection.get())));
    }
    if (++m_queued == kBatch) {
        sync();
    }
}

void PgPipeline::finish() {
    sync();
}

// Each execution answers with its result and a null; the sync point ends the batch. After a
// refusal the server skips the rest of the batch (PGRES_PIPELINE_ABORTED) up to the sync point.
void PgPipeline::sync() {
    PGconn* connection = m_connection.get();
    const int queued = std::exchange(m_queued, 0);
    if (PQpipelineSync(connection) != 1) {
        m_connection.fail(m_statement, oneLine(PQerrorMessage(connection)));
    }
    std::string firstError;
    int ended = 0;
    while (true) {
        const PgResult result(PQgetResult(connection));
        if (result.get() == nullptr) {
            if (++ended > queued) {  // the connection broke: no sync point will come
                m_connection.fail(m_statement, oneLine(PQerrorMessage(connection)));
            }
            continue;
        }
        const ExecStatusType status = result.status();
        if (status == PGRES_PIPELINE_SYNC) {
            break;
        }
        if (status == PGRES_FATAL_ERROR && firstError.empty()) {
            firstError = result.error();
        }
    }
    if (!firstError.empty()) {
        m_connection.fail(m_statement, firstError);
    }
}

}  // namespace history
