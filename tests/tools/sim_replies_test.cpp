#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "sim_fixture.h"
#include "support/temp_folder.h"

namespace testsupport {
namespace {

using namespace std::chrono_literals;

// Each option reaches the gauge: what it answers is the model's (its own tests cover the rules).
TEST_F(SimTest, OptionsShapeTheAnswersToEachCommand) {
    TempFolder folder;
    writeBytes(folder.path() / "stats.txt", "AVG\t1.5\n");
    writeBytes(folder.path() / "memory.txt", "1\t2.5\r\nD2\t3.5\n\n4\t4.5");
    struct Case {
        std::vector<std::string> options;
        std::vector<std::pair<std::string, std::string>> exchanges;
    };
    const Case cases[] = {
        {{},
         {{"V\r", "QORB V1.02\r\n"},
          {"NZ\r", "STATISTICS\r\n"},
          {"NC\r", "3\r\n"},
          {"NN\r", "N\t12.5000\tmm\r\n"},
          {"MZ\r", "MEMORY\r\n"},
          {"MC\r", "10\r\n"},
          {"MN\r", "1\t12.0007\tmm\r\n"},
          {"XY\r", ""}}},
        {{"--statistics", "0", "--memory=25", "--version-text", "V 9.9 \tx", "--statistics-opening",
          "STATS", "--memory-opening", "MEM"},
         {{"V\r", "V 9.9 \tx\r\n"},
          {"NZ\r", "STATS\r\n"},
          {"NC\r", "0\r\n"},
          {"MZ\r", "MEM\r\n"},
          {"MC\r", "25\r\n"}}},
        {{"--statistics-file", folder.file("stats.txt"), "--memory-file",
          folder.file("memory.txt")},
         {{"NC\r", "1\r\n"},
          {"NN\r", "AVG\t1.5\r\n"},
          {"MC\r", "4\r\n"},
          {"MN\r", "1\t2.5\r\n"},
          {"MN\r", "D2\t3.5\r\n"},
          {"MN\r", "\r\n"},
          {"MN\r", "4\t4.5\r\n"}}},
        {{"--stop-after", "1"}, {{"NN\r", "N\t12.5000\tmm\r\n"}, {"MN\r", ""}}},
        {{"--statistics-count", "  -7 abc", "--memory-count", "99999999999"},
         {{"NC\r", "  -7 abc\r\n"}, {"MC\r", "99999999999\r\n"}}},
        {{"--ignore-first", "1"}, {{"V\r", ""}, {"V\r", "QORB V1.02\r\n"}}},
        {{"--no-lf"}, {{"NC\r", "3\r"}}},
        {{"--silent"}, {{"V\r", ""}, {"NZ\r", ""}}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"--baud", "115200"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        PtyEnd& client = start(arguments);
        for (const auto& [command, reply] : c.exchanges) {
            EXPECT_EQ(client.ask(command), reply) << c.options.front() << ", after " << command;
        }
    }
}

TEST_F(SimTest, PiecesArriveSeparatedByTheDelay) {
    PtyEnd& client = start({"--baud", "115200", "--pieces", "4", "--piece-delay", "80"});
    client.write("NZ\r");
    std::vector<PtyEnd::Arrival> arrivals = client.readArrivals(500ms);
    // Group reads by the silences between them: each group is one piece.
    std::vector<std::string> pieces;
    PtyEnd::Clock::duration last{};
    for (const PtyEnd::Arrival& arrival : arrivals) {
        if (pieces.empty() || arrival.after - last > 40ms) {
            pieces.emplace_back();
        }
        pieces.back() += arrival.bytes;
        last = arrival.after;
    }
    EXPECT_EQ(pieces, (std::vector<std::string>{"STAT", "ISTI", "CS\r\n"}));
    ASSERT_FALSE(arrivals.empty());
    EXPECT_GE(arrivals.back().after - arrivals.front().after, 140ms);
}

TEST_F(SimTest, LateTextArrivesOnceAfterTheFirstCommandAndJoinsTheNextReply) {
    PtyEnd& client = start({"--baud", "115200", "--late-text", "LATE", "--late-after", "150"});
    EXPECT_EQ(client.readFor(250ms), "");  // the delay runs from the first command, not the start
    client.write("XY\r");
    std::vector<PtyEnd::Arrival> arrivals = client.readArrivals(250ms, 1000ms, false);
    EXPECT_EQ(joined(arrivals), "LATE");
    ASSERT_FALSE(arrivals.empty());
    EXPECT_GE(arrivals.front().after, 110ms);
    client.write("XY\r");
    EXPECT_EQ(client.readFor(250ms), "");

    PtyEnd& joining = start({"--baud", "115200", "--late-text", "12", "--late-after", "0"});
    joining.write("XY\r");
    EXPECT_EQ(joining.readFor(150ms), "12");
    EXPECT_EQ(joining.ask("NC\r"), "3\r\n");
}

TEST_F(SimTest, LogWritesEachCommandToStandardError) {
    PtyEnd& client = start({"--baud", "115200", "--log", "--silent"});
    client.write("NZ\rxx\nyy\rV\r");
    std::string logged;
    for (int i = 0; i < 100 && logged != "NZ\nxxyy\nV\n"; ++i) {
        client.readFor(10ms);
        logged = sim().standardError();
    }
    EXPECT_EQ(logged, "NZ\nxxyy\nV\n");
}

TEST_F(SimTest, ClientCanCloseAndReopenThePty) {
    launch({"--baud", "115200"});
    for (int round = 0; round < 3; ++round) {
        PtyEnd client(sim().ptyPath());
        EXPECT_EQ(client.ask("NC\r"), "3\r\n") << "round " << round;
    }
    EXPECT_TRUE(sim().running());
}

}  // namespace
}  // namespace testsupport
