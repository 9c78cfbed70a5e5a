// qorb-download end to end over the simulated gauge on a pseudo-terminal.
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>
#include <thread>

#include <gtest/gtest.h>

#include "cli/download_process.h"
#include "support/pty_end.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

using testsupport::readBytes;
using testsupport::SimProcess;
using testsupport::writeBytes;
using Arguments = std::vector<std::string>;

const std::string kStatistics = "N\t12.5000\tmm\r\nMIN\t12.5125\tmm\r\n";
const std::string kMemoryWithoutDeleted =
    "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n3\t12.0021\tmm\r\n4\t12.0028\tmm\r\n6\t12.0042\tmm\r\n";
const std::string kMemoryAllSpaced =
    "1 12.0007 mm\r\n2 12.0014 mm\r\n3 12.0021 mm\r\n4 12.0028 mm\r\nD5 12.0035 mm\r\n"
    "6 12.0042 mm\r\n";
const std::string kComplete = "Transfer Complete - Data saved in file ";

// Rows end in CR LF, and the gauge's text holds no LF of its own.
std::size_t rowsIn(const std::string& bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "no simulator or no pseudo-terminal here";
        }
    }
    // 2 statistics points and 6 memory points, the fifth deleted, and any faults.
    static std::unique_ptr<SimProcess> gauge(Arguments arguments = {}) {
        arguments.insert(arguments.end(),
                         {"--statistics", "2", "--memory", "6", "--baud", "115200"});
        return std::make_unique<SimProcess>(arguments);
    }
    struct Ended {
        int status;
        std::string out, err;
    };
    Ended run(const Arguments& arguments, const std::string& program = QORB_DOWNLOAD_PATH) {
        clitest::DownloadProcess process(arguments, m_folder.path().string(), program);
        const int status = process.wait();
        return {status, process.out(), process.err()};
    }
    std::string file(const std::string& name) const { return m_folder.file(name); }

    testsupport::TempFolder m_folder;
};

TEST_F(DownloadTest, EveryChoiceGivesTheWindowsBytes) {
    const auto sim = gauge();
    const std::string points = file("points.txt");
    // Com 1, 115200, deletes on, statistics off, spaces on.
    writeBytes(file("saved.txt"), "0\r\n5\r\n1\r\n0\r\n1\r\n");
    const std::string port = sim->ptyPath();
    const struct {
        Arguments arguments;
        std::string file, out, err;
    } cases[] = {
        {{"--port", port, "--baud", "115200", "--statistics", "--no-deletes", "--tabs", points},
         kStatistics + kMemoryWithoutDeleted,
         "",
         kComplete + points + "\n"},
        {{"--settings", file("saved.txt"), "--port", port, "--force", "--pace", "line", points},
         kMemoryAllSpaced,
         "",
         kComplete + points + "\n"},
        {{"--port", port, "--no-statistics", "--deletes", "--spaces", "--quiet", "--pace", "line",
          "--gap", "5", "-"},
         kMemoryAllSpaced,
         kMemoryAllSpaced,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[2]);
        const Ended ended = run(c.arguments);
        EXPECT_EQ(ended.status, 0) << ended.err;
        EXPECT_EQ(readBytes(points), c.file);
        EXPECT_EQ(ended.out, c.out);
        EXPECT_EQ(ended.err, c.err);
    }
}

TEST_F(DownloadTest, EachEndHasItsStatusAndKeepsTheRows) {
    const struct {
        Arguments faults;
        int status;
        std::string rows, message;
    } cases[] = {
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
    for (const auto& c : cases) {
        const auto sim = gauge(c.faults);
        const auto ended = run({"--port", sim->ptyPath(), "--statistics", "--pace", "line",
                                "--force", file("points.txt")});
        EXPECT_EQ(ended.status, c.status);
        EXPECT_EQ(readBytes(file("points.txt")), c.rows);
        EXPECT_EQ(ended.err, c.message + "\n");
    }
}

TEST_F(DownloadTest, SignalEndsAfterTheStepWithEveryCompleteRow) {
    for (const auto& [signal, pace] : {std::pair{SIGINT, "poll"}, std::pair{SIGTERM, "line"}}) {
        const SimProcess sim({"--memory", "5000", "--baud", "115200"});
        const std::string points = file(pace);
        clitest::DownloadProcess download(
            {"--port", sim.ptyPath(), "--no-statistics", "--pace", pace, points},
            m_folder.path().string());
        while (rowsIn(readBytes(points)) < 3) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        download.signal(signal);
        EXPECT_EQ(download.wait(), 128 + signal);
        const std::string rows = readBytes(points);
        EXPECT_TRUE(rows.ends_with("\tmm\r\n")) << rows;
        EXPECT_EQ(download.err(), std::string(signal == SIGINT ? "Interrupted: " : "Terminated: ") +
                                      points + " holds " + std::to_string(rowsIn(rows)) +
                                      " rows\n");
    }
}

TEST_F(DownloadTest, RefusalsLeaveTheFileAlone) {
    const std::string points = file("yesterday.txt");
    writeBytes(points, "kept\r\n");
    const auto sim = gauge();
    const struct {
        Arguments arguments;
        int status;
        std::string errorStart;
    } cases[] = {
        {{"--port", sim->ptyPath(), points}, 73, points + " exists; give --force to replace it"},
        {{"--port", file("missing"), "--force", points}, 69, "Invalid port: Cannot open "},
        {{"--baud", "300", points}, 64, "qorb-download: --baud takes 4800, 9600"},
    };
    for (const auto& c : cases) {
        const auto ended = run(c.arguments);
        EXPECT_EQ(ended.status, c.status);
        EXPECT_TRUE(ended.err.starts_with(c.errorStart)) << ended.err;
        EXPECT_EQ(readBytes(points), "kept\r\n");
    }
}

TEST_F(DownloadTest, LinePaceSendsAndWritesWhatThePollPaceDoes) {
    for (const char* pace : {"poll", "line"}) {
        const auto sim = gauge({"--log"});
        const auto ended = run({"--port", sim->ptyPath(), "--statistics", "--no-deletes", "--pace",
                                pace, "--force", file("points")});
        EXPECT_EQ(ended.status, 0) << ended.err;
        EXPECT_EQ(readBytes(file("points")), kStatistics + kMemoryWithoutDeleted);
        sim->terminate();
        EXPECT_EQ(sim->standardError(), "NZ\nNC\nNN\nNN\nMZ\nMC\nMN\nMN\nMN\nMN\nMN\nMN\n") << pace;
    }
}

TEST_F(DownloadTest, ProgressShowsOnATerminal) {
    const auto terminal = testsupport::PtyEnd::fresh();
    const auto sim = gauge();
    clitest::DownloadProcess download({"--port", sim->ptyPath(), "--statistics", file("p")},
                                      m_folder.path().string(), QORB_DOWNLOAD_PATH,
                                      terminal->device());
    const std::string shown = terminal->readFor(std::chrono::milliseconds(1500));
    EXPECT_EQ(download.wait(), 0);
    const std::regex line(
        "\r\x1b\\[Kmemory: [1-5] of 6 points, [1-8][0-9] %, [0-9]+ points/s, 0:00 left");
    EXPECT_TRUE(std::regex_search(shown, line)) << shown;
}

// A copy of the program in a folder of its own, with avrbl.txt and a com1 link beside it.
TEST_F(DownloadTest, ProgramFolderGivesTheChoicesAndTheComLinks) {
    const std::string program = file("qorb-download");
    std::filesystem::copy_file(QORB_DOWNLOAD_PATH, program);
    // Com 1, 115200, deletes off, statistics on, tabs; a line the window's save would drop.
    const std::string saved = "0\r\n5\r\n0\r\n1\r\n0\r\nextra\r\n";
    writeBytes(file("avrbl.txt"), saved);
    const auto sim = gauge({"--link", file("com1")});
    std::filesystem::create_symlink(file("unplugged"), file("com2"));

    EXPECT_EQ(run({"--quiet", file("points.txt")}, program).status, 0);
    EXPECT_EQ(readBytes(file("points.txt")), kStatistics + kMemoryWithoutDeleted);
    EXPECT_EQ(run({"--version-query"}, program).out, "QORB V1.02\r\n");
    EXPECT_NE(run({"--help"}, program).out.find("\n  130  ended by SIGINT"), std::string::npos);
    EXPECT_NE(run({"--list-ports"}, program)
                  .out.find("Com 1   " + sim->ptyPath() + "  (link " + file("com1") +
                            "; not among the system's serial ports)\n"),
              std::string::npos);
    const auto found = run({"--find-gauge"}, program);
    EXPECT_EQ(found.status, 0);
    EXPECT_NE(found.out.find(sim->ptyPath() + " (Com 1): answers QORB V1.02\n"), std::string::npos)
        << found.out;
    EXPECT_NE(found.out.find(file("unplugged") + " (Com 2): busy or unavailable: Cannot open "),
              std::string::npos);
    EXPECT_EQ(readBytes(file("avrbl.txt")), saved);
}

}  // namespace
