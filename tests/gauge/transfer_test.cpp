#include <gtest/gtest.h>

#include <tuple>

#include "transfer_fixture.h"

using view::CheckBox;
using view::Label;

namespace {

class TransferTest : public testsupport::TransferFixture {};

// The check boxes that shape the sequence are read at the press only.
TEST_F(TransferTest, WorkedExampleTickByTick) {
    view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 1);
    pressAndSave();
    view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 0);
    // Everything written to the line so far, the state, the two counts shown, the progress bar.
    using Tick = std::tuple<std::string, int, std::string, std::string, int, int>;
    const Tick ticks[] = {
        {"NZ\r", 3, "", "", 0, 100},
        {"NZ\r", 4, "STAT\r\n", "", 0, 100},
        {"NZ\rNC\r", 5, "STAT\r\n", "", 0, 100},
        {"NZ\rNC\r", 6, "2", "", 0, 2},
        {"NZ\rNC\rNN\r", 7, "2", "", 0, 2},
        {"NZ\rNC\rNN\r", 6, "2", "1", 1, 2},
        {"NZ\rNC\rNN\rNN\r", 7, "2", "1", 1, 2},
        {"NZ\rNC\rNN\rNN\r", 8, "2", "2", 2, 2},
        {"NZ\rNC\rNN\rNN\rMZ\r", 9, "2", "2", 2, 2},
        {"NZ\rNC\rNN\rNN\rMZ\r", 10, "MEM\r\n", "2", 2, 2},
        {"NZ\rNC\rNN\rNN\rMZ\rMC\r", 11, "MEM\r\n", "2", 2, 2},
        {"NZ\rNC\rNN\rNN\rMZ\rMC\r", 12, "1", "2", 0, 1},
        {"NZ\rNC\rNN\rNN\rMZ\rMC\rMN\r", 13, "1", "2", 0, 1},
        {"NZ\rNC\rNN\rNN\rMZ\rMC\rMN\r", 1, "1", "1", 1, 1},
    };
    int number = 1;
    for (const Tick& expected : ticks) {
        SCOPED_TRACE("tick " + std::to_string(number++));
        tick();
        EXPECT_EQ(Tick(port.written(), transfer.state(), view.label(Label::lblPointsToTransfer),
                       view.label(Label::lblPointsCollected), view.progressPosition(),
                       view.progressUpper()),
                  expected);
    }
    EXPECT_EQ(view.label(Label::lblEndResult), "1\t12.001\tmm");
    EXPECT_EQ(fileBytes(), "MIN\t1.5\r\nMAX\t2.5\r\n1\t12.001\tmm\r\n");
}

// Unlike the sequence, the delimiter and the deletes are read at each point.
TEST_F(TransferTest, DelimiterAndDeletesAreReadAtEachPoint) {
    useGauge([](auto& config) {
        config.statisticsPoints = {"D\tstat"};
        config.memoryPoints = {"D\t7", "8\t9", "D\t10", "d\t11", " D\t12", ""};
    });
    view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 1);
    view.setCheckBoxValue(CheckBox::CheckUseSpaceDelimiters, 2);  // greyed counts as off
    pressAndSave();
    tick(12);  // through the statistics to the first memory point, shown but left out
    EXPECT_EQ(view.label(Label::lblEndResult), "D\t7");
    view.setCheckBoxValue(CheckBox::CheckUseSpaceDelimiters, 1);
    tick(2);
    view.setCheckBoxValue(CheckBox::chkIncludeDeletedItem, 1);
    runToEnd();
    EXPECT_EQ(fileBytes(), "D\tstat\r\n8 9\r\nD 10\r\nd 11\r\n D 12\r\n\r\n");
}

// Replies arrive a byte per tick here, so each step also waits for its reply over ticks; ticks
// keep coming while the end message is open and must not act.
TEST_F(TransferTest, EachCountEndsWithItsMessageOnceAndNothingFollows) {
    struct Case {
        std::string statisticsCount, memoryCount, message, file;
    };
    const std::string stats = "MIN\t1.5\r\nMAX\t2.5\r\n";
    const Case cases[] = {
        {"2", "1", "Transfer Complete - Data saved in file " + folder.file("points.txt"),
         stats + "1\t12.001\tmm\r\n"},
        {"0", "1", "Gauge responds with 0 points in statistics", ""},
        {"2", "0", "Gauge responds with 0 points in memory", stats},
        {"-3", "1", "Gauge responds with invalid point count in statistics", ""},
        {"2", "1E9", "Gauge responds with invalid point count in memory", stats},
    };
    port.setPieceSize(1);
    view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statisticsCount + ", " + c.memoryCount);
        useGauge([&c](auto& config) {
            config.statisticsCountText = c.statisticsCount;
            config.memoryCountText = c.memoryCount;
        });
        const std::size_t before = view.messageBoxes().size();
        pressAndSave();
        view.letTimePassInNextModal(5000);
        runToEnd();
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_EQ(fileBytes(), c.file);
        EXPECT_FALSE(transfer.fileOpen());
        view.advance(5000);
        EXPECT_EQ(view.messageBoxes().size(), before + 1);
    }
}

// The watchdog ends a transfer 4 s after the last complete reply, once, keeping the rows written:
// with the port invalid nothing is sent; then a line that fails after two points.
TEST_F(TransferTest, TimeoutFourSecondsAfterTheLastReplyKeepsTheRowsAndFiresOnce) {
    useGauge([](auto& config) { config.memoryPoints = gaugesim::generatedMemoryPoints(10); });
    portValid = false;
    pressAndSave("invalid.txt");
    view.advance(4000);
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(lastMessage(), "Timeout - Improper resonse from gauge");
    EXPECT_EQ(fileBytes("invalid.txt"), "");

    portValid = true;
    pressAndSave();
    tick(8);  // MZ, MC and two points
    port.unplug();
    view.advance(3999);
    EXPECT_TRUE(transfer.running());
    view.advance(1);
    EXPECT_EQ(view.messageBoxes().size(), 2u);
    EXPECT_EQ(lastMessage(), "Timeout - Improper resonse from gauge");
    EXPECT_EQ(fileBytes(), "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n");
    const std::string written = port.written();
    view.advance(10000);
    EXPECT_EQ(view.messageBoxes().size(), 2u);
    EXPECT_EQ(port.written(), written);
}

}  // namespace
