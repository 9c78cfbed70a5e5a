#include "tools/gauge_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gaugesim {
namespace {

GaugeConfig twoOfEach() {
    GaugeConfig config;
    config.statisticsPoints = {"S1", "S2"};
    config.memoryPoints = {"M1", "DM2"};
    return config;
}

TEST(GaugeModelFraming, CarriageReturnEndsACommandWhereverTheBytesAreCut) {
    GaugeModel gauge(twoOfEach());
    EXPECT_EQ(gauge.receive("N"), "");
    EXPECT_EQ(gauge.receive("Z"), "");
    EXPECT_EQ(gauge.receive("\r"), "STATISTICS\r\n");
    EXPECT_EQ(gauge.receive("NC\rNN\r"), "2\r\nS1\r\n");
    EXPECT_EQ(gauge.commandsReceived(), (std::vector<std::string>{"NZ", "NC", "NN"}));
}

TEST(GaugeModelFraming, LineFeedsAreDroppedAnywhere) {
    GaugeModel gauge(twoOfEach());
    EXPECT_EQ(gauge.receive("\nM\nZ\r\n"), "MEMORY\r\n");
    EXPECT_EQ(gauge.commandsReceived(), (std::vector<std::string>{"MZ"}));
}

TEST(GaugeModelFraming, OverLongCommandIsDroppedAndTheNextOneStandsAlone) {
    GaugeModel gauge(twoOfEach());
    std::string sixteen(16, 'X');
    EXPECT_EQ(gauge.receive(sixteen + "\r"), "");  // longest command still taken, but unknown
    EXPECT_EQ(gauge.receive(sixteen + "NZ\r"), "");
    EXPECT_EQ(gauge.receive("NZ\r"), "STATISTICS\r\n");
    EXPECT_EQ(gauge.commandsReceived(), (std::vector<std::string>{sixteen, "NZ"}));
}

TEST(GaugeModelFraming, UnknownCommandsGetNoAnswer) {
    for (const char* command : {"nz\r", "N\r", "NZ \r", " NZ\r", "NX\r", "\r", "VV\r"}) {
        GaugeModel gauge(twoOfEach());
        EXPECT_EQ(gauge.receive(command), "") << command;
    }
}

TEST(GaugeModelPoints, OpeningCommandRestartsOnlyItsOwnSection) {
    GaugeModel gauge(twoOfEach());
    EXPECT_EQ(gauge.receive("NN\rNN\r"), "S1\r\nS2\r\n");
    EXPECT_EQ(gauge.receive("MN\r"), "M1\r\n");
    EXPECT_EQ(gauge.receive("NZ\rNN\r"), "STATISTICS\r\nS1\r\n");
    EXPECT_EQ(gauge.receive("MN\r"), "DM2\r\n");
    EXPECT_EQ(gauge.receive("MZ\rMN\r"), "MEMORY\r\nM1\r\n");
}

TEST(GaugeModelPoints, PastTheLastPointEachAskGetsAnEmptyLine) {
    GaugeModel gauge(twoOfEach());
    EXPECT_EQ(gauge.receive("MN\rMN\r"), "M1\r\nDM2\r\n");
    EXPECT_EQ(gauge.receive("MN\r"), "\r\n");
    EXPECT_EQ(gauge.receive("MN\r"), "\r\n");
}

TEST(GaugeModelFaults, CountTextReplacesTheCountButNotThePoints) {
    GaugeConfig config = twoOfEach();
    config.memoryCountText = "-40000";
    GaugeModel gauge(config);
    EXPECT_EQ(gauge.receive("NC\rMC\rMN\r"), "2\r\n-40000\r\nM1\r\n");
}

TEST(GaugeModelFaults, StopAfterSilencesPointRepliesOfBothSections) {
    GaugeConfig config = twoOfEach();
    config.stopAfterPoints = 2;
    GaugeModel gauge(config);
    EXPECT_EQ(gauge.receive("NN\rMN\r"), "S1\r\nM1\r\n");
    EXPECT_EQ(gauge.receive("NN\r"), "");
    EXPECT_EQ(gauge.receive("MN\r"), "");
}

TEST(GaugeModelFaults, IgnoredCommandsLeaveTheCursorsWhereTheyWere) {
    GaugeConfig config = twoOfEach();
    config.ignoreFirstCommands = 2;
    GaugeModel gauge(config);
    EXPECT_EQ(gauge.receive("NN\r"), "");
    EXPECT_EQ(gauge.receive("V\r"), "");
    EXPECT_EQ(gauge.receive("NN\r"), "S1\r\n");
    EXPECT_EQ(gauge.commandsReceived().size(), 3u);
}

TEST(GaugeModelFaults, WithoutLineFeedRepliesEndInCarriageReturn) {
    GaugeConfig config = twoOfEach();
    config.omitLineFeed = true;
    GaugeModel gauge(config);
    EXPECT_EQ(gauge.receive("V\rNN\r"), "QORB V1.02\rS1\r");
}

TEST(GaugeModelGenerated, MemoryPointsAreTabSeparatedAndEveryFifthIsDeleted) {
    std::vector<std::string> points = generatedMemoryPoints(10);
    ASSERT_EQ(points.size(), 10u);
    EXPECT_EQ(points[0], "1\t12.0007\tmm");
    EXPECT_EQ(points[4], "D5\t12.0035\tmm");
    EXPECT_EQ(points[9], "D10\t12.0070\tmm");
    EXPECT_EQ(generatedStatisticsPoints(7)[6], "N\t12.5750\tmm");
}

TEST(GaugeModelParsing, CommandLogStaysBoundedOverALongRun) {
    GaugeModel gauge(GaugeConfig{});
    for (int i = 0; i < 5000; ++i) {
        gauge.receive("MN\r");
    }
    gauge.receive("V\r");
    EXPECT_EQ(gauge.commandCount(), 5001u);
    EXPECT_LE(gauge.commandsReceived().size(), GaugeModel::kCommandLogLimit);
    EXPECT_EQ(gauge.commandsReceived().back(), "V");
}

}  // namespace
}  // namespace gaugesim
