#pragma once

namespace history {

class SqliteDatabase;

// The history's schema version as PRAGMA user_version keeps it; 0 is a new, empty file.
inline constexpr int kLocalSchemaVersion = 1;

// The version of the history the file holds. Throws HistoryError, writing nothing, when it is an
// SQLite database of another program's or a history of a later version.
int historyVersion(const SqliteDatabase& database);

// Makes the file a history of this version: created when new, upgraded in place when earlier, in
// one transaction.
void prepareSchema(SqliteDatabase& database);

}  // namespace history
