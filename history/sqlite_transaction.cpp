#include "history/sqlite_transaction.h"

#include <sqlite3.h>

#include "history/sqlite_database.h"

namespace history {

SqliteTransaction::SqliteTransaction(SqliteDatabase& database) : m_database(database) {
    m_database.execute("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
    if (m_open) {
        // Nothing to tell: the failure that brought us here is on its way up already.
        sqlite3_exec(m_database.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void SqliteTransaction::commit() {
    m_database.execute("COMMIT");
    m_open = false;
}

}  // namespace history
