#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "history/history_error.h"
#include "history/plant_database.h"
#include "support/plant_server.h"

namespace {

using history::HistoryError;
using history::KeptDownload;
using history::PlantDatabase;

class PlantSendTest : public planttest::PlantServerTest {};

// Every column as the server holds it, the hostile texts as data; the second send of the same
// uid stores nothing.
TEST_F(PlantSendTest, KeepsEveryColumnAndTheSameDownloadOnce) {
    PlantDatabase plant(owner());
    plant.prepare();
    const KeptDownload download = planttest::hostileDownload("0b7a3c1e-hostile");
    EXPECT_TRUE(plant.send(download));
    EXPECT_FALSE(plant.send(download));
    EXPECT_EQ(
        query(owner(), "SELECT d::text FROM downloads d"),
        "(1,0b7a3c1e-hostile,qorb-download,1.02,line-3,op,\"2026-12-07 13:15:03+00\","
        "\"2026-12-07 13:16:10+00\",\"Com 1\",/dev/ttyUSB0,9600,t,f,f,\"V1.1\t\"\"x\"\"\",,3,3,"
        "2,\"Transfer Complete - Data saved in file /tmp/a b.txt\",t," +
            std::string(64, 'f') +
            ",\"/tmp/a b.txt\",text,\"'); DROP TABLE downloads;--\",-0.5,0.1,,2,\xC2\xB5m,2,"
            "0.30000000000000004,,,,,,,,,0,)");
    EXPECT_EQ(query(owner(), "SELECT p::text FROM points p ORDER BY position"),
              "(1,1,Statistics,\"N\t2\",f,f,)\n"
              "(1,2,Memory,\"1\t-0.50\t\xC2\xB5m\xE2\x90\x80\",f,t,-0.5)\n"
              "(1,3,Memory,\"D2\t'\\\\\"\"\",t,f,)");
}

}  // namespace

// Blocks of rows, the last ones one by one, across the pipeline's sync points; a send that fails
// halfway (a NUL byte, which PostgreSQL's text cannot hold) leaves nothing, and the next goes.
TEST_F(PlantSendTest, AFullSendGoesWholeOrNotAtAll) {
    PlantDatabase plant(owner());
    plant.prepare();
    KeptDownload download = planttest::hostileDownload("0b7a3c1e-many");
    download.points.resize(10150, {pointsfile::Section::Memory, "1\t2.5", false, 2.5});
    download.points[10119].line = std::string("1\t2.5\0", 6);
    EXPECT_THROW(plant.send(download), HistoryError);
    EXPECT_EQ(query(owner(), "SELECT count(*) FROM downloads"), "0");
    download.points[10119].line = "1\t2.5";
    download.points.back().value = 7.25;
    EXPECT_TRUE(plant.send(download));
    EXPECT_EQ(
        query(owner(), "SELECT concat_ws(' ', count(*), sum(position), max(value)) FROM points"),
        "10150 51516325 7.25");
}

// Two stations that find the tables missing at the same moment both create them, without tripping
// over each other's half-made tables.
TEST_F(PlantSendTest, TwoStationsCreatingTheTablesAtOnceBothGoOn) {
    for (int round = 0; round < 5; ++round) {
        std::string failures[2];
        std::vector<std::thread> stations;
        for (std::string& failure : failures) {
            stations.emplace_back([&] {
                try {
                    PlantDatabase(owner()).prepare();
                } catch (const HistoryError& error) {
                    failure = error.what();
                }
            });
        }
        for (std::thread& station : stations) {
            station.join();
        }
        EXPECT_EQ(failures[0] + failures[1], "");
        query(owner(), "DROP TABLE points, downloads, schema_version");
    }
}
