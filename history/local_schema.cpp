#include "history/local_schema.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "history/history_error.h"
#include "history/sqlite_database.h"
#include "history/sqlite_statement.h"
#include "history/sqlite_transaction.h"

namespace history {

namespace {

// The tables of version 1, column for column as the plant database has them, and the local
// sent_at. Points are kept by their key alone (WITHOUT ROWID): a full history holds tens of
// millions of them.
const char* const kVersion1 = R"sql(
CREATE TABLE downloads (
    id INTEGER PRIMARY KEY,
    uid TEXT NOT NULL UNIQUE,
    program TEXT NOT NULL,
    program_version TEXT NOT NULL,
    host TEXT NOT NULL,
    account TEXT NOT NULL,
    pressed_at TEXT NOT NULL,
    ended_at TEXT NOT NULL,
    port TEXT NOT NULL,
    device TEXT NOT NULL,
    baud INTEGER,
    include_statistics INTEGER NOT NULL CHECK (include_statistics IN (0, 1)),
    include_deletes INTEGER NOT NULL CHECK (include_deletes IN (0, 1)),
    space_delimiters INTEGER NOT NULL CHECK (space_delimiters IN (0, 1)),
    gauge_version TEXT,
    statistics_announced INTEGER,
    memory_announced INTEGER,
    rows_received INTEGER NOT NULL,
    rows_written INTEGER NOT NULL,
    ended_with TEXT NOT NULL,
    complete INTEGER NOT NULL CHECK (complete IN (0, 1)),
    fingerprint TEXT NOT NULL,
    file TEXT NOT NULL,
    form TEXT NOT NULL,
    characteristic TEXT,
    lower_limit REAL,
    upper_limit REAL,
    nominal REAL,
    value_field INTEGER,
    unit TEXT,
    counted INTEGER NOT NULL,
    mean REAL,
    standard_deviation REAL,
    minimum REAL,
    maximum REAL,
    average_moving_range REAL,
    cp REAL,
    cpk REAL,
    pp REAL,
    ppk REAL,
    below_lsl INTEGER,
    above_usl INTEGER,
    sent_at TEXT
);
CREATE TABLE points (
    download_id INTEGER NOT NULL REFERENCES downloads (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    section TEXT NOT NULL CHECK (section IN ('Statistics', 'Memory')),
    line TEXT NOT NULL,
    deleted INTEGER NOT NULL CHECK (deleted IN (0, 1)),
    counted INTEGER NOT NULL CHECK (counted IN (0, 1)),
    value REAL,
    PRIMARY KEY (download_id, position)
) WITHOUT ROWID;
CREATE INDEX downloads_by_characteristic ON downloads (characteristic, pressed_at);
PRAGMA user_version = 1;
)sql";

// Step n takes a history from version n to n + 1, so that a later program upgrades any earlier
// history in place, one step after another. Version 0 is a new file.
const char* const kSteps[] = {kVersion1};
static_assert(std::size(kSteps) == kLocalSchemaVersion);

// The version and the tables, read by one statement so that one snapshot gives both: read apart,
// a history another program makes at that moment could show its tables and not yet its version,
// and pass for another program's database.
struct FileSchema {
    int version = 0;
    std::vector<std::string> tables;
};

FileSchema fileSchema(const SqliteDatabase& database) {
    SqliteStatement statement(database,
                              "SELECT v.user_version, t.name FROM pragma_user_version AS v "
                              "LEFT JOIN (SELECT name FROM sqlite_schema WHERE type = 'table' "
                              "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\') AS t ORDER BY t.name");
    FileSchema schema;
    while (statement.step()) {
        schema.version = static_cast<int>(statement.integer(0));
        if (!statement.isNull(1)) {
            schema.tables.push_back(statement.text(1));
        }
    }
    return schema;
}

bool holds(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string listed(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "" : ", ") + name;
    }
    return list;
}

}  // namespace

int historyVersion(const SqliteDatabase& database) {
    const auto [version, tables] = fileSchema(database);
    const bool ours = holds(tables, "downloads") && holds(tables, "points");
    if (version > kLocalSchemaVersion && ours) {
        throw HistoryError(database.path(),
                           "is a history of a later version of this program (schema version " +
                               std::to_string(version) + "; this one knows up to " +
                               std::to_string(kLocalSchemaVersion) +
                               "), so it is not written to: use the later program, or name "
                               "another history file");
    }
    if ((version == 0 && !tables.empty()) || (version != 0 && !ours)) {
        throw HistoryError(database.path(),
                           "is another program's SQLite database, not a history of downloads "
                           "(its tables: " +
                               listed(tables) + "); it is left as it is: name another file");
    }
    return version;
}

void prepareSchema(SqliteDatabase& database) {
    if (historyVersion(database) == kLocalSchemaVersion) {
        return;
    }
    SqliteTransaction transaction(database);
    // Another program may have made it between the look and the lock.
    for (int version = historyVersion(database); version < kLocalSchemaVersion; ++version) {
        database.execute(kSteps[version]);
    }
    transaction.commit();
}

}  // namespace history
