#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "history/history_error.h"
#include "history/plant_database.h"
#include "history/plant_schema.h"
#include "support/plant_server.h"

namespace {

using history::HistoryError;
using history::PgConnection;
using history::PlantDatabase;

// The ```sql blocks of docs/history.md's section on the plant database, where its DBA finds them.
std::vector<std::string> documentedSql() {
    std::ifstream file(std::filesystem::path(__FILE__).parent_path() / "../../docs/history.md");
    std::vector<std::string> blocks;
    std::string line;
    std::string* block = nullptr;
    bool plant = false;
    while (std::getline(file, line)) {
        if (line.rfind("## ", 0) == 0) {
            plant = line == "## The plant database";
        } else if (line == "```sql" && plant) {
            block = &blocks.emplace_back();
        } else if (line == "```") {
            block = nullptr;
        } else if (block != nullptr) {
            *block += line + "\n";
        }
    }
    return blocks;
}

std::string failure(const std::function<void()>& work) {
    try {
        work();
    } catch (const HistoryError& error) {
        return error.reason();
    }
    return "carried out";
}

std::string refusal(const std::string& connectionString) {
    return failure([&] { PlantDatabase(connectionString).prepare(); });
}

class PlantRolesTest : public planttest::PlantServerTest {};

// The tables as the documentation creates them, the station's and the reader's rights as it grants
// them: a station adds, but never changes or deletes; the reader only reads.
TEST_F(PlantRolesTest, AStationAddsButNeverChangesAndTheReaderOnlyReads) {
    const std::vector<std::string> sql = documentedSql();
    ASSERT_EQ(sql.size(), 2U) << "docs/history.md: the tables, then the grants";
    EXPECT_EQ(sql[0], history::kPlantSchemaSql);
    PgConnection dba(owner());
    dba.execScript("the documented tables", sql[0].c_str());
    dba.execScript("the documented grants", sql[1].c_str());

    PlantDatabase plant(station());
    plant.prepare();
    EXPECT_TRUE(plant.send(planttest::hostileDownload("2c0d1e9f-station")));
    EXPECT_FALSE(plant.send(planttest::hostileDownload("2c0d1e9f-station")));
    const struct {
        std::string role;
        const char* sql;
        const char* table;
    } refused[] = {
        {station(), "UPDATE downloads SET complete = false", "downloads"},
        {station(), "DELETE FROM points", "points"},
        {station(), "SELECT line FROM points", "points"},
        {reader(), "UPDATE schema_version SET version = 2", "schema_version"},
        {reader(), "DELETE FROM downloads", "downloads"},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(failure([&] { query(c.role, c.sql); }),
                  std::string("query: permission denied for table ") + c.table);
    }
    EXPECT_EQ(query(reader(), "SELECT count(*) FROM points"), "3");
}

// What is missing is named, and Test Connection says the same in its line; a later version's
// tables are never written, not even the one that is missing.
TEST_F(PlantRolesTest, WhatARoleMayNotDoIsNamed) {
    const std::string connected = "Connected to quality on localhost as ";
    const std::string missing =
        "the history's tables schema_version, downloads and points are missing, and role "
        "qorb_station may not create them (it lacks CREATE on schema t_whatarolemaynotdoisnamed): "
        "the database's administrator creates them, or grants that";
    EXPECT_EQ(refusal(station()), "preparing the history's tables: " + missing);
    EXPECT_EQ(history::probePlantDatabase(station()), connected + "qorb_station; " + missing);
    EXPECT_EQ(history::probePlantDatabase(owner()),
              connected + "qorb_owner; the history's tables will be created at the first download");

    PlantDatabase(owner()).prepare();
    EXPECT_EQ(history::probePlantDatabase(owner()),
              connected + "qorb_owner; the history's tables are there");
    EXPECT_EQ(refusal(station()),
              "preparing the history's tables: role qorb_station lacks SELECT on schema_version, "
              "INSERT on downloads, SELECT (id) on downloads, SELECT (uid) on downloads and INSERT "
              "on points, which a station needs: the database's administrator grants them");

    query(owner(), "UPDATE schema_version SET version = 0");
    EXPECT_EQ(refusal(owner()),
              "preparing the history's tables: table schema_version holds version 0, which no "
              "program of this history writes");
    query(owner(), "DELETE FROM schema_version");
    EXPECT_EQ(refusal(owner()),
              "preparing the history's tables: table schema_version holds no version");
    query(owner(), "DROP TABLE points");
    query(owner(), "INSERT INTO schema_version (version) VALUES (2)");
    EXPECT_EQ(refusal(owner()),
              "preparing the history's tables: the history's tables are of schema version 2, later "
              "than this program's 1: a later program keeps them, and this one never writes to "
              "them");
    EXPECT_EQ(query(owner(), "SELECT to_regclass('points') IS NULL"), "t");
}

}  // namespace
