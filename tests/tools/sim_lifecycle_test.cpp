#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sim_fixture.h"
#include "support/temp_folder.h"

namespace testsupport {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

void waitForEnd(SimProcess& sim) {
    for (int i = 0; i < 250 && sim.running(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
}

TEST_F(SimTest, LinkPointsAtThePtyAndGoesOnTerminate) {
    TempFolder folder;
    std::string link = folder.file("com1");
    SimProcess& sim = launch({"--baud", "115200", "--link", link});
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link).string(), sim.ptyPath());
    {
        PtyEnd client(link);
        EXPECT_EQ(client.ask("V\r"), "QORB V1.02\r\n");
    }
    sim.terminate();
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(SimTest, LinkReplacesAStaleLinkAndInterruptEndsCleanly) {
    TempFolder folder;
    std::string link = folder.file("com2");
    fs::create_symlink("/nonexistent/pts/99", link);
    SimProcess& sim = launch({"--link", link});
    EXPECT_EQ(fs::read_symlink(link).string(), sim.ptyPath());
    ::kill(sim.pid(), SIGINT);
    waitForEnd(sim);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(SimTest, LinkOverAnOrdinaryFileIsRefused) {
    TempFolder folder;
    writeBytes(folder.path() / "com3", "keep me");
    SimRun run = runSimulatorToEnd({"--link", folder.file("com3")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.standardError.find("com3"), std::string::npos) << run.standardError;
    EXPECT_EQ(readBytes(folder.path() / "com3"), "keep me");
}

TEST_F(SimTest, KilledSimulatorLeavesTheClientWithAHangUp) {
    SimProcess& sim = launch({});
    PtyEnd client(sim.ptyPath());
    EXPECT_FALSE(client.hungUp());
    sim.kill();
    EXPECT_FALSE(sim.running());
    EXPECT_EQ(sim.exitCode(), 128 + SIGKILL);
    EXPECT_TRUE(client.hungUp());
}

TEST_F(SimTest, BadOptionsExitWithTwoAndNameTheOption) {
    struct Case {
        std::vector<std::string> arguments;
        std::string named;
    };
    const std::vector<Case> cases = {
        {{"--bogus"}, "--bogus"},
        {{"--baud", "0"}, "--baud"},
        {{"--baud", "96OO"}, "--baud"},
        {{"--memory", "-1"}, "--memory"},
        {{"--statistics"}, "--statistics"},
        {{"--pieces", "0"}, "--pieces"},
        {{"--silent=yes"}, "--silent"},
        {{"--log", "--log"}, "--log"},
        {{"--piece-delay", "10"}, "--piece-delay"},
        {{"--late-after", "10"}, "--late-after"},
        {{"--memory", "3", "--memory-file", "x"}, "--memory-file"},
        {{"--statistics-file", "/nonexistent/points.txt"}, "--statistics-file"},
        {{"stray"}, "stray"},
    };
    for (const Case& c : cases) {
        SimRun run = runSimulatorToEnd(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.named;
        EXPECT_NE(run.standardError.find(c.named), std::string::npos) << run.standardError;
        EXPECT_EQ(run.standardOutput, "") << c.named;
    }
}

TEST_F(SimTest, HelpListsTheOptions) {
    SimRun run = runSimulatorToEnd({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"--link", "--baud", "--memory-file", "--stop-after", "--no-lf",
                               "--ignore-first", "--late-after", "--log"}) {
        EXPECT_NE(run.standardOutput.find(option), std::string::npos) << option;
    }
}

TEST_F(SimTest, RepliesArePacedAtTheBaudRate) {
    // 200 bytes at 9600 baud take 208 ms on a real line.
    PtyEnd& client = start({"--version-text", std::string(198, 'v')});
    client.write("V\r");
    std::vector<PtyEnd::Arrival> arrivals = client.readArrivals(300ms);
    EXPECT_EQ(joined(arrivals).size(), 200u);
    ASSERT_FALSE(arrivals.empty());
    EXPECT_GE(arrivals.back().after, 150ms);
    EXPECT_GT(arrivals.size(), 3u);
}

// CPU time in clock ticks, from /proc; none where there is no /proc.
std::optional<long> cpuTicks(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    std::vector<std::string> fields;
    while (fields.size() < 15 && stat >> field) {
        fields.push_back(field);
    }
    if (fields.size() < 15) {
        return std::nullopt;
    }
    return std::stol(fields[13]) + std::stol(fields[14]);
}

TEST_F(SimTest, SitsIdleWhenNothingIsDueEvenAfterTheClientLeft) {
    SimProcess& sim = launch({"--late-text", "L", "--late-after", "100000"});
    {
        PtyEnd client(sim.ptyPath());
        EXPECT_EQ(client.ask("NC\r"), "3\r\n");
    }
    std::optional<long> before = cpuTicks(sim.pid());
    if (!before) {
        GTEST_SKIP() << "no /proc to read the simulator's CPU time from";
    }
    std::this_thread::sleep_for(500ms);
    // A busy loop would burn about 50 ticks in this half second.
    EXPECT_LE(*cpuTicks(sim.pid()) - *before, 5);
}

}  // namespace
}  // namespace testsupport
