// qorb-download end to end over the simulated gauge on a pseudo-terminal.
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "cli/download_process.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

using clitest::runToEnd;
using testsupport::readBytes;
using testsupport::writeBytes;

const std::string kStatistics = "N\t12.5000\tmm\r\nMIN\t12.5125\tmm\r\n";
const std::string kMemoryWithoutDeleted =
    "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n3\t12.0021\tmm\r\n4\t12.0028\tmm\r\n6\t12.0042\tmm\r\n";
const std::string kMemoryAllSpaced =
    "1 12.0007 mm\r\n2 12.0014 mm\r\n3 12.0021 mm\r\n4 12.0028 mm\r\nD5 12.0035 mm\r\n"
    "6 12.0042 mm\r\n";

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "no simulator or no pseudo-terminal here";
        }
    }
    // A gauge with 2 statistics points and 6 memory points, the fifth deleted.
    std::unique_ptr<testsupport::SimProcess> gauge(std::vector<std::string> faults = {}) {
        faults.insert(faults.end(), {"--statistics", "2", "--memory", "6", "--baud", "115200"});
        return std::make_unique<testsupport::SimProcess>(faults);
    }
    testsupport::TempFolder m_folder;
};

std::size_t rowsIn(const std::string& bytes) {
    std::size_t rows = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
         at = bytes.find("\r\n", at + 2)) {
        ++rows;
    }
    return rows;
}

TEST_F(DownloadTest, EveryChoiceGivesTheWindowsBytes) {
    const auto sim = gauge();
    const std::string file = m_folder.file("points.txt");
    const std::string settings = m_folder.file("saved.txt");
    // Com 1, 115200, deletes on, statistics off, spaces on.
    writeBytes(settings, "0\r\n5\r\n1\r\n0\r\n1\r\n");
    const std::string port = sim->ptyPath();
    struct Case {
        std::vector<std::string> arguments;
        std::string file;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {{"--port", port, "--baud", "115200", "--statistics", "--no-deletes", "--tabs", file},
         kStatistics + kMemoryWithoutDeleted,
         "",
         "Transfer Complete - Data saved in file " + file + "\n"},
        {{"--settings", settings, "--port", port, "--force", "--pace", "line", file},
         kMemoryAllSpaced,
         "",
         "Transfer Complete - Data saved in file " + file + "\n"},
        {{"--port", port, "--baud", "115200", "--no-statistics", "--deletes", "--spaces", "--quiet",
          "--pace", "line", "--gap", "5", "-"},
         kMemoryAllSpaced,
         kMemoryAllSpaced,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back() + " " + c.arguments[1]);
        const clitest::Ended ended = runToEnd(c.arguments);
        EXPECT_EQ(ended.status, 0) << ended.err;
        EXPECT_EQ(readBytes(file), c.file);
        EXPECT_EQ(ended.out, c.out);
        EXPECT_EQ(ended.err, c.err);
    }
}

TEST_F(DownloadTest, EachEndHasItsStatusAndKeepsTheRows) {
    struct Case {
        std::vector<std::string> faults;
        int status;
        std::string rows;
        std::string message;
    };
    const Case cases[] = {
        {{"--stop-after", "3"},
         75,
         kStatistics + "1\t12.0007\tmm\r\n",
         "Timeout - Improper resonse from gauge"},
        {{"--memory-count", "-5"},
         65,
         kStatistics,
         "Gauge responds with invalid point count in memory"},
        {{"--statistics-count", "0"}, 66, "", "Gauge responds with 0 points in statistics"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const auto sim = gauge(c.faults);
        const std::string file = m_folder.file("points.txt");
        const auto ended =
            runToEnd({"--port", sim->ptyPath(), "--statistics", "--pace", "line", "--force", file});
        EXPECT_EQ(ended.status, c.status);
        EXPECT_EQ(readBytes(file), c.rows);
        EXPECT_EQ(ended.err, c.message + "\n");
    }
}

TEST_F(DownloadTest, SignalEndsAfterTheStepWithEveryCompleteRow) {
    for (const int signal : {SIGINT, SIGTERM}) {
        const auto sim = std::make_unique<testsupport::SimProcess>(
            std::vector<std::string>{"--memory", "400", "--baud", "115200"});
        const std::string file = m_folder.file(std::to_string(signal) + ".txt");
        clitest::DownloadProcess download({"--port", sim->ptyPath(), "--no-statistics", file});
        while (rowsIn(readBytes(file)) < 3) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        download.signal(signal);
        EXPECT_EQ(download.wait(), 128 + signal);
        const std::string rows = readBytes(file);
        EXPECT_TRUE(rows.ends_with("\tmm\r\n")) << rows;
        EXPECT_EQ(download.standardError(),
                  std::string(signal == SIGINT ? "Interrupted: " : "Terminated: ") + file +
                      " holds " + std::to_string(rowsIn(rows)) + " rows\n");
    }
}

TEST_F(DownloadTest, RefusalsLeaveTheFileAlone) {
    const std::string file = m_folder.file("yesterday.txt");
    writeBytes(file, "kept\r\n");
    const auto sim = gauge();
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string errorStart;
    } cases[] = {
        {{"--port", sim->ptyPath(), file}, 73, file + " exists; give --force to replace it"},
        {{"--port", m_folder.file("missing"), "--force", file}, 69, "Invalid port: Cannot open "},
        {{"--baud", "300", file}, 64, "qorb-download: --baud takes 4800, 9600"},
    };
    for (const auto& c : cases) {
        const auto ended = runToEnd(c.arguments);
        EXPECT_EQ(ended.status, c.status);
        EXPECT_TRUE(ended.err.starts_with(c.errorStart)) << ended.err;
        EXPECT_EQ(readBytes(file), "kept\r\n");
    }
}

// Both paces send the same commands and write the same file.
TEST_F(DownloadTest, LinePaceSendsAndWritesWhatThePollPaceDoes) {
    std::string files[2];
    std::string commands[2];
    for (int i = 0; i < 2; ++i) {
        testsupport::SimProcess sim({"--statistics", "3", "--memory", "20", "--log"});
        const std::string file = m_folder.file(std::to_string(i));
        const auto ended = runToEnd({"--port", sim.ptyPath(), "--baud", "9600", "--statistics",
                                     "--no-deletes", "--pace", i == 0 ? "poll" : "line", file});
        EXPECT_EQ(ended.status, 0) << ended.err;
        files[i] = readBytes(file);
        sim.terminate();
        commands[i] = sim.standardError();
    }
    EXPECT_EQ(
        commands[0], "NZ\nNC\nNN\nNN\nNN\nMZ\nMC\n" + [] {
            std::string next;
            for (int i = 0; i < 20; ++i) {
                next += "MN\n";
            }
            return next;
        }());
    EXPECT_EQ(commands[1], commands[0]);
    EXPECT_EQ(rowsIn(files[0]), 3u + 16u);
    EXPECT_EQ(files[1], files[0]);
}

// A copy of the program in a folder of its own, with avrbl.txt and a com1 link beside it.
TEST_F(DownloadTest, ProgramFolderGivesTheChoicesAndTheComLinks) {
    const std::string program = m_folder.file("qorb-download");
    std::filesystem::copy_file(clitest::downloadProgram(), program);
    // Com 1, 115200, deletes off, statistics on, tabs; a line the window's save would drop.
    const std::string saved = "0\r\n5\r\n0\r\n1\r\n0\r\nextra\r\n";
    writeBytes(m_folder.file("avrbl.txt"), saved);
    testsupport::SimProcess sim({"--link", m_folder.file("com1"), "--statistics", "2", "--memory",
                                 "6", "--baud", "115200"});
    const std::string file = m_folder.file("points.txt");

    EXPECT_EQ(runToEnd({"--quiet", file}, program).status, 0);
    EXPECT_EQ(readBytes(file), kStatistics + kMemoryWithoutDeleted);
    EXPECT_EQ(runToEnd({"--version-query"}, program).out, "QORB V1.02\r\n");
    EXPECT_NE(runToEnd({"--list-ports"}, program)
                  .out.find("Com 1   " + sim.ptyPath() + "  (link " + m_folder.file("com1") +
                            "; not among the system's serial ports)\n"),
              std::string::npos);
    const auto found = runToEnd({"--find-gauge"}, program);
    EXPECT_EQ(found.status, 0);
    EXPECT_NE(found.out.find(sim.ptyPath() + " (Com 1): answers QORB V1.02\n"), std::string::npos)
        << found.out;
    EXPECT_EQ(readBytes(m_folder.file("avrbl.txt")), saved);
}

}  // namespace
