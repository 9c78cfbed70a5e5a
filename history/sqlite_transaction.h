#pragma once

namespace history {

class SqliteDatabase;

// BEGIN IMMEDIATE: the write lock is taken at the start (waiting out another writer for the busy
// timeout), so that nothing fails halfway for a lock. Rolled back unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& database);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void commit();

private:
    SqliteDatabase& m_database;
    bool m_open = true;
};

}  // namespace history
