// qorb-history end to end: its outputs and statuses on a history made here, the files of
// downloads qorb-download made over the simulated gauge made again, and the plant database read
// by the role that may only read.
#include <gtest/gtest.h>

#include "history/download_facts.h"
#include "history/local_history.h"
#include "history/pg_connection.h"
#include "history/plant_database.h"
#include "support/plant_server.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

using testsupport::Process;
using testsupport::readBytes;
using Arguments = std::vector<std::string>;

// Limits 12 to 12.002: the fourth value is above; the third line is a deleted point.
history::KeptDownload download(const std::string& uid, const std::string& characteristic,
                               const std::string& pressedAt) {
    pointsfile::ReceivedLines lines;
    for (const char* line :
         {"1\t12.0007\tmm", "2\t12.0014\tmm", "D3\t12.5\tmm", "4\t12.0028\tmm"}) {
        lines.add(pointsfile::Section::Memory, line);
    }
    pointsfile::DownloadRecord record;
    record.uid = uid;
    record.pressedAt = pressedAt;
    record.endedAt = pressedAt;
    record.port = "Com 1";
    record.rowsReceived = 4;
    record.rowsWritten = 3;
    record.endMessage = "Transfer Complete - Data saved in file /tmp/p, \"q\".txt";
    record.complete = true;
    history::KeptDownload kept =
        history::keptDownloadOf(record, {12.0, 12.002, {}, {}, characteristic}, lines);
    kept.host = "line-1";
    return kept;
}

// A copy of the program in a folder of its own, whose history beside it is the default one.
class QorbHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(QORB_HISTORY_PATH, program);
        std::filesystem::copy_file(QORB_DOWNLOAD_PATH, file("qorb-download"));
    }
    std::string file(const std::string& name) const { return m_folder.file(name); }
    std::string history() const { return file("history.sqlite"); }

    testsupport::TempFolder m_folder;
    const std::string program = file("qorb-history");
};

TEST_F(QorbHistoryTest, EachAskGivesItsOutputAndStatus) {
    {
        history::LocalHistory local(history(), history::LocalHistory::Access::Write);
        local.add(download("u1", "Bore Ø12", "2026-12-07T14:15:03+01:00"));
        local.add(download("u2", "Length", "2026-12-07T15:00:00+01:00"));
    }
    const std::string trend = file("trend.xlsx");
    const std::string ended = "Transfer Complete - Data saved in file /tmp/p, \"q\".txt";
    const std::string list =
        "Pressed at                 Characteristic  Host    Port   Points counted       Mean  "
        "Standard deviation   Cpk  Out of tolerance  How it ended" +
        std::string(44, ' ') +
        "Repeat of  Continues\n"
        "2026-12-07T14:15:03+01:00  Bore Ø12        line-1  Com 1               3  12.001633  "
        "          0.001069  0.13                 1  " +
        ended +
        "\n"
        "2026-12-07T15:00:00+01:00  Length          line-1  Com 1               3  12.001633  "
        "          0.001069  0.13                 1  " +
        ended + "  u1\n";
    const std::string csv =
        "uid,Pressed at,Characteristic,Host,Port,Points counted,Mean,Standard deviation,Cpk,"
        "Out of tolerance,How it ended,Repeat of,Continues\r\n"
        "u1,2026-12-07T14:15:03+01:00,Bore Ø12,line-1,Com 1,3,";
    const struct {
        Arguments arguments;
        int status;
        std::string out, err;
    } cases[] = {
        // clang-format off
        {{}, 0, list, ""},
        {{"--csv", "--host", "line-1"}, 0, csv, ""},
        {{"--characteristic", "Bore", "--since", "2026-12-01", "--until", "2026-12-31",
          "--complete-only"}, 66, "",
         "qorb-history: " + history() + " holds no download of characteristic \"Bore\" pressed "
         "on or after 2026-12-01 and on or before 2026-12-31 that completed\n"},
        {{"--since", "2026-12-08", "--until", "2026-12-07"}, 64, "",
         "qorb-history: --since 2026-12-08 is after --until 2026-12-07"},
        {{"--workbook", trend}, 64, "",
         "qorb-history: a trend is of one characteristic, and these downloads are of 2: name one "
         "with --characteristic\n  Bore Ø12\n  Length\n"},
        {{"--workbook", trend, "--characteristic", "Length"}, 0, "", ""},
        {{"--workbook", trend, "--characteristic", "Length"}, 73, "",
         "qorb-history: " + trend + " exists; give --force to replace it\n"},
        {{"--rebuild", "u1", "--force", "/dev/full"}, 73, "", "qorb-history: Cannot write to /dev/full: No space left on device\n"},
        {{"--rebuild", "u3", file("u3.txt")}, 66, "",
         "qorb-history: " + history() + ": holds no download u3\n"},
        {{"--history", file("none.sqlite")}, 74, "",
         "qorb-history: the history cannot be read: " + file("none.sqlite") + ": there is no "
         "history here: no download has been kept in it\n"},
        {{"--database", "host=127.0.0.1 port=1 dbname=q"}, 69, "",
         "qorb-history: the plant database cannot be reached: plant database q on 127.0.0.1:1: "
         "connection to server at \"127.0.0.1\", port 1 failed"},
        {{"--since", "2026-02-30"}, 64, "",
         "qorb-history: --since takes a day written as 2026-12-07, not \"2026-02-30\""},
        {{"--history", history(), "--database", "dbname=q"}, 64, "",
         "qorb-history: --history and --database name two histories: give one"},
        {{"--rebuild", "u1", "--host", "x", file("a.txt")}, 64, "",
         "qorb-history: --rebuild makes one download's file again: it takes no filters"},
        {{"--csv", "--workbook", trend}, 64, "", "qorb-history: --workbook cannot be combined"},
        {{"--help"}, 0, "Usage: qorb-history [options]", ""},
        // clang-format on
    };
    const auto shown = [](const std::string& text, const std::string& expected) {
        return expected.ends_with('\n') || expected.empty() ? text
                                                            : text.substr(0, expected.size());
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        Process run(program, c.arguments);
        EXPECT_EQ(run.wait(), c.status);
        EXPECT_EQ(shown(run.output(), c.out), c.out);
        EXPECT_EQ(shown(run.errors(), c.err), c.err);
    }
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

// The downloads' own files, made by qorb-download over the simulated gauge into the default
// history, made again: the points file and the CSV file byte for byte, the workbook anew.
TEST_F(QorbHistoryTest, RebuildGivesBackTheFilesTheDownloadsWrote) {
    if (!testsupport::simulatorAvailable()) {
        GTEST_SKIP() << "no simulator or no pseudo-terminal here";
    }
    const Arguments forms[] = {
        {"--statistics", "--no-deletes", "--spaces", file("points.txt")},
        {"--no-statistics", "--deletes", file("points.csv")},
        {"--statistics", "--lower-limit", "12", "--characteristic", "Bore", file("points.xlsx")},
    };
    for (const Arguments& options : forms) {
        const testsupport::SimProcess sim(
            {"--link", file("com1"), "--statistics", "2", "--memory", "6", "--baud", "115200"});
        Arguments arguments{"--port", "1", "--baud", "115200", "--pace", "line", "--quiet"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        Process download(file("qorb-download"), arguments);
        ASSERT_EQ(download.wait(), 0) << download.errors();
    }
    Arguments uids;
    for (const auto& kept :
         history::LocalHistory(history(), history::LocalHistory::Access::Read).list({})) {
        uids.push_back(kept.uid);
    }
    ASSERT_EQ(uids.size(), 3U);
    const struct {
        std::string uid, again, original;
    } cases[] = {
        {uids[0], file("again.txt"), file("points.txt")},
        {uids[1], file("again.csv"), file("points.csv")},
        {uids[0], "-", file("points.txt")},
    };
    for (const auto& c : cases) {
        Process rebuild(program, {"--rebuild", c.uid, c.again});
        EXPECT_EQ(rebuild.wait(), 0) << rebuild.errors();
        EXPECT_EQ(c.again == "-" ? rebuild.output() : readBytes(c.again), readBytes(c.original));
    }
    Process workbook(program, {"--rebuild", uids[2], file("again.xlsx")});
    EXPECT_EQ(workbook.wait(), 0) << workbook.errors();
    EXPECT_TRUE(readBytes(file("again.xlsx")).starts_with("PK"));
}

class QorbHistoryPlantTest : public planttest::PlantServerTest {};

// The plant database read by the role that may only read; one without the history's tables, or
// with tables of a later version, is no history it reads.
TEST_F(QorbHistoryPlantTest, ReadsThePlantDatabaseAsTheReader) {
    Process bare(QORB_HISTORY_PATH, {"--database", reader()});
    EXPECT_EQ(bare.wait(), 74);
    EXPECT_NE(bare.errors().find("the tables downloads and points are not there"),
              std::string::npos)
        << bare.errors();

    history::PlantDatabase plant(owner());
    plant.prepare();
    plant.send(download("u1", "Bore", "2026-12-07T14:15:03+01:00"));
    history::PgConnection(owner()).execScript(
        "grant", "GRANT SELECT ON schema_version, downloads, points TO qorb_reader");
    setenv("TZ", "UTC", 1);
    Process run(QORB_HISTORY_PATH, {"--database", reader(), "--csv"});
    unsetenv("TZ");
    EXPECT_EQ(run.wait(), 0) << run.errors();
    EXPECT_NE(run.output().find("\r\nu1,2026-12-07T13:15:03+00:00,Bore,line-1,Com 1,3,12.00163"),
              std::string::npos)
        << run.output();

    history::PgConnection(owner()).execScript("a later version",
                                              "UPDATE schema_version SET version = 2");
    Process later(QORB_HISTORY_PATH, {"--database", reader()});
    EXPECT_EQ(later.wait(), 74);
    EXPECT_NE(later.errors().find("tables are of version 2, later than this program's 1"),
              std::string::npos)
        << later.errors();
}

}  // namespace
