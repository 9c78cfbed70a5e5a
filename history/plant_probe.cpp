#include <exception>

#include "history/pg_connection.h"
#include "history/plant_database.h"
#include "history/plant_schema.h"

namespace history {

std::string probePlantDatabase(const std::string& connectionString) {
    try {
        PgConnection connection(connectionString);
        const PlantSchemaState state = inspectPlantSchema(connection);
        std::string found = "Connected to " + state.database + " on " +
                            std::string(PQhost(connection.get())) + " as " + state.role + "; ";
        if (const std::optional<std::string> refusal = plantSchemaRefusal(state)) {
            return found + *refusal;
        }
        return found + (state.missingTables.empty()
                            ? "the history's tables are there"
                            : "the history's tables will be created at the first download");
    } catch (const std::exception& error) {
        return error.what();
    }
}

}  // namespace history
