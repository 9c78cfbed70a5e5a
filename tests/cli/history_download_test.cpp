// qorb-download's history end to end: two downloads at once into one file, one killed, one that
// cannot be kept, and the plant database's outbox against a real server.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "history/local_history.h"
#include "support/plant_server.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

using testsupport::Process;
using testsupport::readBytes;
using testsupport::SimProcess;
using Arguments = std::vector<std::string>;

// Two copies of the program, each with its own gauge as Com 1, and one history file for all.
class HistoryDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "no simulator or no pseudo-terminal here";
        }
        setenv("QT_QPA_PLATFORM", "none", 1);
        for (const char* station : {"a", "b"}) {
            std::filesystem::create_directory(m_folder.path() / station);
            std::filesystem::copy_file(QORB_DOWNLOAD_PATH,
                                       m_folder.path() / station / "qorb-download");
        }
    }
    SimProcess gauge(const std::string& station, const std::string& points) const {
        return SimProcess({"--link", file(station + "/com1"), "--statistics", "0", "--memory",
                           points, "--baud", "115200"});
    }
    std::unique_ptr<Process> download(const std::string& station, Arguments arguments) const {
        arguments.insert(arguments.begin(), {"--no-statistics", "--pace", "line", "--quiet"});
        return std::make_unique<Process>(file(station + "/qorb-download"), arguments);
    }
    std::string file(const std::string& name) const { return m_folder.file(name); }
    history::HistoryCounts counts() const {
        return history::LocalHistory(history, history::LocalHistory::Access::Read).counts();
    }

    testsupport::TempFolder m_folder;
    const std::string history = file("shared.sqlite");
};

// Two downloads from two gauges write one history at once and both land whole; a third killed
// with SIGKILL mid-transfer leaves nothing half kept, and the next download works.
TEST_F(HistoryDownloadTest, TwoAtOnceBothLandAndAKilledOneLeavesNothingHalfKept) {
    const SimProcess gaugeA = gauge("a", "800");
    const SimProcess gaugeB = gauge("b", "800");
    auto first = download("a", {"--history", history, file("a.txt")});
    auto second = download("b", {"--history", history, "--characteristic", "Bore", file("b.csv")});
    EXPECT_EQ(first->wait(), 0) << first->errors();
    EXPECT_EQ(second->wait(), 0) << second->errors();
    EXPECT_EQ(counts().downloads, 2);

    const SimProcess slow(
        {"--link", file("a/com1"), "--statistics", "0", "--memory", "5000", "--baud", "9600"});
    auto killed = download("a", {"--history", history, file("killed.txt")});
    for (int i = 0; i < 1500 && readBytes(file("killed.txt")).size() < 40; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    killed->stop(SIGKILL);
    EXPECT_EQ(killed->wait(), 128 + SIGKILL);
    EXPECT_EQ(counts().downloads, 2);
    auto after = download("b", {"--history", history, file("after.txt")});
    EXPECT_EQ(after->wait(), 0) << after->errors();
    EXPECT_EQ(counts().downloads, 3);
}

// A history that cannot be written costs the download nothing: the file is whole, the reason is
// told, and the status says the history failed when the transfer itself was complete.
TEST_F(HistoryDownloadTest, AHistoryThatCannotBeWrittenKeepsTheFileAndSaysWhy) {
    std::filesystem::create_directory(file("folder.sqlite"));
    const SimProcess sim = gauge("a", "5");
    auto run = download("a", {"--history", file("folder.sqlite"), "--deletes", file("p.txt")});
    EXPECT_EQ(run->wait(), 74);
    EXPECT_EQ(std::ranges::count(readBytes(file("p.txt")), '\n'), 5);
    EXPECT_TRUE(run->errors().starts_with("This download could not be kept in the history " +
                                          file("folder.sqlite") + ": "))
        << run->errors();
    EXPECT_NE(run->errors().find("Its points are in " + file("p.txt") + "."), std::string::npos);
}

// The local history is the plant database's outbox: a download goes at once while the server is
// there, waits while it is away (the download itself complete, status 0), and goes with
// --send-pending once it is back, each stored once however often it is sent.
class PlantOutboxTest : public planttest::PlantServerTest {
protected:
    PlantOutboxTest() { m_stopsServer = true; }

    int download(const std::vector<std::string>& options, std::string* errors = nullptr) const {
        std::vector<std::string> arguments{"--history",       history,  "--database", owner(),
                                           "--no-statistics", "--pace", "line",       "--quiet"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        Process run(QORB_DOWNLOAD_PATH, arguments);
        const int status = run.wait();
        if (errors != nullptr) {
            *errors = run.errors();
        }
        return status;
    }
    int waiting() const {
        return history::LocalHistory(history, history::LocalHistory::Access::Read).counts().waiting;
    }
    static void server(const char* how) {
        ASSERT_EQ(std::system((variable("QORB_TEST_POSTGRES_CONTROL") + " " + how).c_str()), 0);
    }

    testsupport::TempFolder folder;
    const std::string history = folder.file("history.sqlite");
};

TEST_F(PlantOutboxTest, ADownloadWaitsWhileTheServerIsAwayAndGoesOnceWhenItIsBack) {
    if (!testsupport::simulatorAvailable()) {
        GTEST_SKIP() << "no simulator or no pseudo-terminal here";
    }
    setenv("QT_QPA_PLATFORM", "none", 1);
    const SimProcess gauge({"--link", folder.file("com1"), "--memory", "5", "--baud", "115200"});
    const std::string port = folder.file("com1");
    EXPECT_EQ(download({"--port", port, folder.file("sent.txt")}), 0);
    EXPECT_EQ(waiting(), 0);

    server("stop");
    std::string told;
    EXPECT_EQ(download({"--port", port, folder.file("waits.txt")}, &told), 0);
    EXPECT_TRUE(told.starts_with("qorb-download: 1 download waiting to be sent: ")) << told;
    EXPECT_EQ(waiting(), 1);
    EXPECT_EQ(download({"--send-pending"}), 75);

    server("start");
    EXPECT_EQ(download({"--send-pending"}), 0);
    EXPECT_EQ(download({"--send-pending"}), 0);
    EXPECT_EQ(waiting(), 0);
    EXPECT_EQ(query(owner(), "SELECT count(*) FROM downloads"), "2");
    EXPECT_EQ(query(owner(), "SELECT count(*) FROM points"), "10");
}

}  // namespace
