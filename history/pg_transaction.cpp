#include "history/pg_transaction.h"

namespace history {

PgTransaction::PgTransaction(PgConnection& connection) : m_connection(connection) {
    m_connection.exec("BEGIN", "BEGIN");
}

// A rollback that fails (the connection broke) loses nothing: the server rolls back a transaction
// whose connection is gone.
PgTransaction::~PgTransaction() {
    if (m_open) {
        PQclear(PQexec(m_connection.get(), "ROLLBACK"));
    }
}

void PgTransaction::commit() {
    m_open = false;
    m_connection.exec("COMMIT", "COMMIT");
}

}  // namespace history
