#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/pty_end.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace testsupport {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The simulator on its pty with the test's options, the test at the far end as the program.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!simulatorAvailable()) {
            GTEST_SKIP() << "qorb-gauge-sim is not built or no pseudo-terminal can be opened here";
        }
    }
    PtyEnd& start(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--baud", "115200"});
        m_client.reset();
        sim = std::make_unique<SimProcess>(arguments);
        m_client = std::make_unique<PtyEnd>(sim->ptyPath());
        return *m_client;
    }

    TempFolder folder;
    std::unique_ptr<SimProcess> sim;

private:
    std::unique_ptr<PtyEnd> m_client;
};

// Each option reaches the gauge; the rules of its answers are the model's.
TEST_F(SimTest, OptionsShapeTheAnswers) {
    writeBytes(folder.path() / "stats.txt", "AVG\t1.5\n");
    writeBytes(folder.path() / "memory.txt", "1\t2.5\r\nD2\t3.5\n\n4\t4.5");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{},
         "QORB V1.02\r\nSTATISTICS\r\n3\r\nN\t12.5000\tmm\r\nMEMORY\r\n10\r\n1\t12.0007\tmm\r\n"
         "2\t12.0014\tmm\r\n"},
        {{"--statistics", "0", "--memory=25", "--version-text", "V 9.9 \tx", "--statistics-opening",
          "S", "--memory-opening", "M"},
         "V 9.9 \tx\r\nS\r\n0\r\n\r\nM\r\n25\r\n1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n"},
        {{"--statistics-file", folder.file("stats.txt"), "--memory-file", folder.file("memory.txt"),
          "--stop-after", "2"},
         "QORB V1.02\r\nSTATISTICS\r\n1\r\nAVG\t1.5\r\nMEMORY\r\n4\r\n1\t2.5\r\n"},
        {{"--statistics-count", "  -7 abc", "--memory-count", "99999999999", "--ignore-first", "1",
          "--no-lf"},
         "STATISTICS\r  -7 abc\rN\t12.5000\tmm\rMEMORY\r99999999999\r1\t12.0007\tmm\r"
         "2\t12.0014\tmm\r"},
        {{"--silent"}, ""},
    };
    for (const auto& [options, answers] : cases) {
        PtyEnd& client = start(options);
        std::string got;
        for (const char* command :
             {"V\r", "NZ\r", "NC\r", "NN\r", "MZ\r", "MC\r", "MN\r", "MN\r"}) {
            got += client.ask(command);
        }
        EXPECT_EQ(got, answers) << (options.empty() ? "defaults" : options.front());
    }
}

TEST_F(SimTest, LinkReplacesAStaleOneAndGoesWithTheSimulatorButNeverOverAFile) {
    const std::string link = folder.file("com1");
    fs::create_symlink("/nonexistent/pts/99", link);
    sim = std::make_unique<SimProcess>(std::vector<std::string>{"--link", link});
    EXPECT_EQ(fs::read_symlink(link).string(), sim->ptyPath());
    EXPECT_EQ(PtyEnd(link).ask("V\r"), "QORB V1.02\r\n");
    ::kill(sim->pid(), SIGINT);
    for (int i = 0; i < 250 && sim->running(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(sim->exitCode(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));

    writeBytes(link, "keep me");
    const SimRun refused = runSimulatorToEnd({"--link", link});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.standardError.find("com1"), std::string::npos) << refused.standardError;
    EXPECT_EQ(readBytes(link), "keep me");
}

TEST_F(SimTest, BadOptionsExitWithTwoNamingTheOptionAndHelpListsThem) {
    // clang-format off
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "--bogus"}, {{"--baud", "96OO"}, "--baud"}, {{"--memory", "-1"}, "--memory"},
        {{"--statistics"}, "--statistics"}, {{"--silent=yes"}, "--silent"}, {{"--log", "--log"}, "--log"},
        {{"--piece-delay", "10"}, "--piece-delay"}, {{"--memory", "3", "--memory-file", "x"}, "--memory-file"},
        {{"--statistics-file", "/nonexistent/points.txt"}, "--statistics-file"}, {{"stray"}, "stray"}};
    // clang-format on
    for (const auto& [arguments, named] : cases) {
        const SimRun run = runSimulatorToEnd(arguments);
        EXPECT_EQ(run.exitCode, 2) << named;
        EXPECT_NE(run.standardError.find(named), std::string::npos) << run.standardError;
    }
    const SimRun help = runSimulatorToEnd({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--link", "--baud", "--stop-after", "--late-after", "--log"}) {
        EXPECT_NE(help.standardOutput.find(option), std::string::npos) << option;
    }
}

TEST_F(SimTest, RepliesArePacedAtTheBaudRateAndInPiecesAtTheirDelay) {
    sim = std::make_unique<SimProcess>(
        std::vector<std::string>{"--version-text", std::string(198, 'v')});
    PtyEnd paced(sim->ptyPath());
    paced.write("V\r");
    const std::vector<PtyEnd::Arrival> line = paced.readArrivals(300ms);
    EXPECT_EQ(joined(line).size(), 200u);
    ASSERT_GT(line.size(), 3u);
    EXPECT_GE(line.back().after, 150ms);  // 200 bytes at 9600 baud take 208 ms

    PtyEnd& client = start({"--pieces", "4", "--piece-delay", "80"});
    client.write("NZ\r");
    std::vector<std::string> pieces;  // reads grouped by the silences between them
    PtyEnd::Clock::duration last{};
    for (const PtyEnd::Arrival& arrival : client.readArrivals(500ms)) {
        if (pieces.empty() || arrival.after - last > 40ms) {
            pieces.emplace_back();
        }
        pieces.back() += arrival.bytes;
        last = arrival.after;
    }
    EXPECT_EQ(pieces, (std::vector<std::string>{"STAT", "ISTI", "CS\r\n"}));
}

TEST_F(SimTest, LateTextArrivesOnceAfterTheFirstCommand) {
    PtyEnd& client = start({"--late-text", "LATE", "--late-after", "150"});
    EXPECT_EQ(client.readFor(250ms), "");  // the delay runs from the first command
    client.write("XY\r");
    const std::vector<PtyEnd::Arrival> late = client.readArrivals(250ms, 1000ms, false);
    EXPECT_EQ(joined(late), "LATE");
    ASSERT_FALSE(late.empty());
    EXPECT_GE(late.front().after, 110ms);
    EXPECT_EQ(client.ask("NC\r"), "3\r\n");
}

TEST_F(SimTest, LogsEachCommandToStandardError) {
    start({"--log", "--silent"}).write("NZ\rxx\nyy\rV\r");
    for (int i = 0; i < 100 && sim->standardError() != "NZ\nxxyy\nV\n"; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(sim->standardError(), "NZ\nxxyy\nV\n");
}

}  // namespace
}  // namespace testsupport
