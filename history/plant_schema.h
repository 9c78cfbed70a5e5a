#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/pg_connection.h"

namespace history {

// The version of the history's tables this program writes, in the one-row table schema_version.
constexpr int kPlantSchemaVersion = 1;

// The SQL that creates the history's tables where they are missing, as the program runs it and as
// docs/history.md gives it to the plant's DBA.
extern const char* const kPlantSchemaSql;

// What the database holds of the history, and what the connected role may do with it.
struct PlantSchemaState {
    std::string database;
    std::string role;
    // Where missing tables would be made: the first schema of the search path that exists; empty
    // when none does.
    std::string schema;
    std::vector<std::string> missingTables;
    bool mayCreate = false;
    // From schema_version, when the table is there and holds its row.
    std::optional<int> version;
    // The rights a station needs and lacks on tables that are there ("INSERT on points").
    std::vector<std::string> missingRights;
};

// Reads it without changing anything.
PlantSchemaState inspectPlantSchema(PgConnection& connection);

// Why a station cannot write to the history as the state stands, naming the table or the right
// that is missing; nothing when it can (tables that are missing and may be created count as
// there).
std::optional<std::string> plantSchemaRefusal(const PlantSchemaState& state);

// Creates what is missing in one transaction, under a lock that keeps two stations doing it at
// once from meeting.
void createPlantSchema(PgConnection& connection);

// "a, b and c".
std::string listed(const std::vector<std::string>& items);

}  // namespace history
