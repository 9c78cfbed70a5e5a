#include "history/plant_schema.h"

#include "history/pg_transaction.h"

namespace history {

const char* const kPlantSchemaSql = R"sql(CREATE TABLE IF NOT EXISTS schema_version (
    version integer NOT NULL,
    single_row boolean PRIMARY KEY DEFAULT true CHECK (single_row)
);
INSERT INTO schema_version (version) VALUES (1) ON CONFLICT DO NOTHING;
CREATE TABLE IF NOT EXISTS downloads (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    uid text NOT NULL UNIQUE,
    program text NOT NULL,
    program_version text NOT NULL,
    host text NOT NULL,
    account text NOT NULL,
    pressed_at timestamptz NOT NULL,
    ended_at timestamptz NOT NULL,
    port text NOT NULL,
    device text NOT NULL,
    baud integer,
    include_statistics boolean NOT NULL,
    include_deletes boolean NOT NULL,
    space_delimiters boolean NOT NULL,
    gauge_version text,
    statistics_announced integer,
    memory_announced integer,
    rows_received integer NOT NULL,
    rows_written integer NOT NULL,
    ended_with text NOT NULL,
    complete boolean NOT NULL,
    fingerprint text NOT NULL,
    file text NOT NULL,
    form text NOT NULL,
    characteristic text,
    lower_limit double precision,
    upper_limit double precision,
    nominal double precision,
    value_field integer,
    unit text,
    counted integer NOT NULL,
    mean double precision,
    standard_deviation double precision,
    minimum double precision,
    maximum double precision,
    average_moving_range double precision,
    cp double precision,
    cpk double precision,
    pp double precision,
    ppk double precision,
    below_lsl integer,
    above_usl integer
);
CREATE INDEX IF NOT EXISTS downloads_by_characteristic ON downloads (characteristic, pressed_at);
CREATE TABLE IF NOT EXISTS points (
    download_id bigint NOT NULL REFERENCES downloads (id) ON DELETE CASCADE,
    position integer NOT NULL,
    section text NOT NULL CHECK (section IN ('Statistics', 'Memory')),
    line text NOT NULL,
    deleted boolean NOT NULL,
    counted boolean NOT NULL,
    value double precision,
    PRIMARY KEY (download_id, position)
);
)sql";

namespace {

constexpr const char* kTables[] = {"schema_version", "downloads", "points"};

// The rights a station needs on the tables, besides reading schema_version: adding, and reading
// back its own keys (ON CONFLICT (uid) ... RETURNING id).
struct Right {
    const char* table;
    const char* column;  // nullptr: the table's
    const char* privilege;
};
constexpr Right kStationRights[] = {
    {"downloads", nullptr, "INSERT"},
    {"downloads", "id", "SELECT"},
    {"downloads", "uid", "SELECT"},
    {"points", nullptr, "INSERT"},
};

// Any number, fixed: every program that creates the tables takes the same lock.
constexpr const char* kCreationLock = "7170726211";

bool isTrue(const PgResult& result, int column) {
    return result.text(0, column) == "t";
}

bool holds(PgConnection& connection, const Right& right) {
    const PgResult held =
        right.column == nullptr
            ? connection.exec("checking the role's rights", "SELECT has_table_privilege($1, $2)",
                              {right.table, right.privilege})
            : connection.exec("checking the role's rights",
                              "SELECT has_column_privilege($1, $2, $3)",
                              {right.table, right.column, right.privilege});
    return isTrue(held, 0);
}

std::string named(const Right& right) {
    std::string name = right.privilege;
    if (right.column != nullptr) {
        name += std::string(" (") + right.column + ")";
    }
    return name + " on " + right.table;
}

}  // namespace

PlantSchemaState inspectPlantSchema(PgConnection& connection) {
    PlantSchemaState state;
    const PgResult found = connection.exec(
        "looking for the history's tables",
        "SELECT current_database(), current_user, coalesce(current_schema(), ''), "
        "coalesce(has_schema_privilege(current_schema(), 'CREATE'), false), "
        "to_regclass($1) IS NOT NULL, to_regclass($2) IS NOT NULL, to_regclass($3) IS NOT NULL",
        {kTables[0], kTables[1], kTables[2]});
    state.database = found.text(0, 0);
    state.role = found.text(0, 1);
    state.schema = found.text(0, 2);
    state.mayCreate = isTrue(found, 3);
    for (int i = 0; i < 3; ++i) {
        if (!isTrue(found, 4 + i)) {
            state.missingTables.emplace_back(kTables[i]);
        }
    }
    if (isTrue(found, 4)) {
        const Right readVersion{"schema_version", nullptr, "SELECT"};
        if (!holds(connection, readVersion)) {
            state.missingRights.push_back(named(readVersion));
        } else {
            const PgResult version =
                connection.exec("SELECT FROM schema_version", "SELECT version FROM schema_version");
            if (version.rows() > 0) {
                state.version = std::stoi(version.text(0, 0));
            }
        }
    }
    if (state.missingTables.empty()) {
        for (const Right& right : kStationRights) {
            if (!holds(connection, right)) {
                state.missingRights.push_back(named(right));
            }
        }
    }
    return state;
}

std::optional<std::string> plantSchemaRefusal(const PlantSchemaState& state) {
    if (state.version && *state.version > kPlantSchemaVersion) {
        return "the history's tables are of schema version " + std::to_string(*state.version) +
               ", later than this program's " + std::to_string(kPlantSchemaVersion) +
               ": a later program keeps them, and this one never writes to them";
    }
    if (state.version && *state.version < kPlantSchemaVersion) {
        return "table schema_version holds version " + std::to_string(*state.version) +
               ", which no program of this history writes";
    }
    if (!state.missingTables.empty() && !state.mayCreate) {
        const bool several = state.missingTables.size() > 1;
        const std::string missing = std::string("the history's table") + (several ? "s " : " ") +
                                    listed(state.missingTables) + (several ? " are" : " is") +
                                    " missing, and ";
        if (state.schema.empty()) {
            return missing + "no schema of the search path exists to create them in";
        }
        std::string reason = missing + "role " + state.role;
        reason += " may not create them (it lacks CREATE on schema ";
        reason += state.schema;
        reason += "): the database's administrator creates them, or grants that";
        return reason;
    }
    if (!state.missingRights.empty()) {
        return "role " + state.role + " lacks " + listed(state.missingRights) +
               ", which a station needs: the database's administrator grants them";
    }
    if (state.missingTables.empty() && !state.version) {
        return "table schema_version holds no version";
    }
    return std::nullopt;
}

void createPlantSchema(PgConnection& connection) {
    PgTransaction transaction(connection);
    connection.exec("taking the lock for creating the tables", "SELECT pg_advisory_xact_lock($1)",
                    {kCreationLock});
    connection.execScript("creating the history's tables", kPlantSchemaSql);
    transaction.commit();
}

std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    }
    return text;
}

}  // namespace history
