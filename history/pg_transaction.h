#pragma once

#include "history/pg_connection.h"

namespace history {

// A server transaction, rolled back unless committed: a download reaches the plant database
// whole or not at all.
class PgTransaction {
public:
    explicit PgTransaction(PgConnection& connection);
    ~PgTransaction();
    PgTransaction(const PgTransaction&) = delete;
    PgTransaction& operator=(const PgTransaction&) = delete;

    void commit();

private:
    PgConnection& m_connection;
    bool m_open = true;
};

}  // namespace history
