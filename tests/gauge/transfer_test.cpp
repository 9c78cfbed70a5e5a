#include <gtest/gtest.h>

#include "transfer_fixture.h"

using view::CheckBox;
using view::Label;
using view::Timer;

namespace {

class TransferTest : public testsupport::TransferFixture {};

TEST_F(TransferTest, WorkedExampleTickByTick) {
    setBox(CheckBox::chkIncludeStatistics, 1);
    pressAndSave();
    ASSERT_EQ(view.dialogsShown().size(), 1u);
    const view::SaveDialogRequest& dialog = view.dialogsShown()[0].request;
    EXPECT_EQ(dialog.title, "Select directory and filename to save points");
    EXPECT_EQ(dialog.defaultName, "MemoryPoints.txt");
    EXPECT_TRUE(dialog.askBeforeReplacing);
    EXPECT_EQ(transfer.state(), 2);
    struct Tick {
        std::string written;  // everything written to the line so far
        int state;
        std::string pointsToTransfer;
        std::string pointsCollected;
        int progress;
        int progressUpper;
    };
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
        EXPECT_EQ(port.written(), expected.written);
        EXPECT_EQ(transfer.state(), expected.state);
        EXPECT_EQ(view.label(Label::lblPointsToTransfer), expected.pointsToTransfer);
        EXPECT_EQ(view.label(Label::lblPointsCollected), expected.pointsCollected);
        EXPECT_EQ(view.progressPosition(), expected.progress);
        EXPECT_EQ(view.progressUpper(), expected.progressUpper);
    }
    EXPECT_EQ(view.label(Label::lblEndResult), "1\t12.001\tmm");
    EXPECT_EQ(fileBytes(), "MIN\t1.5\r\nMAX\t2.5\r\n1\t12.001\tmm\r\n");
    EXPECT_FALSE(transfer.pointsFile().isOpen());
    EXPECT_EQ(lastMessage(), "Transfer Complete - Data saved in file " + folder.file("points.txt"));
    // Long after the end, neither the watchdog nor the poll tick does anything more.
    view.advance(10000);
    EXPECT_EQ(boxes(), 1u);
    EXPECT_EQ(port.written(), "NZ\rNC\rNN\rNN\rMZ\rMC\rMN\r");
}

TEST_F(TransferTest, MemoryOnlyTakesTwoNPlusFourTicksAndStatisticsIsReadOnlyAtThePress) {
    useMemoryPoints(7);
    pressAndSave();
    setBox(CheckBox::chkIncludeStatistics, 1);
    int ticks = 0;
    for (; transfer.running() && ticks < 100; ++ticks) {
        tick();
    }
    EXPECT_EQ(ticks, 2 * 7 + 4);
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\rMN\rMN\rMN\rMN\rMN\rMN\r");
    EXPECT_EQ(fileBytes(),
              "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n3\t12.0021\tmm\r\n4\t12.0028\tmm\r\n"
              "6\t12.0042\tmm\r\n7\t12.0049\tmm\r\n");
}

TEST_F(TransferTest, DelimiterAndDeletesAreReadAtEachPoint) {
    useGauge([](auto& config) {
        config.statisticsPoints = {"D\tstat"};
        config.memoryPoints = {"D\t7", "8\t9", "D\t10", "d\t11", " D\t12", ""};
    });
    setBox(CheckBox::chkIncludeStatistics, 1);
    setBox(CheckBox::CheckUseSpaceDelimiters, 2);  // greyed counts as off
    pressAndSave();
    while (transfer.state() != 12) {
        tick();
    }
    tick(2);  // "D\t7" shown, left out: deletes off
    EXPECT_EQ(view.label(Label::lblEndResult), "D\t7");
    setBox(CheckBox::CheckUseSpaceDelimiters, 1);
    tick(2);
    setBox(CheckBox::chkIncludeDeletedItem, 1);
    tick(2);
    setBox(CheckBox::chkIncludeDeletedItem, 0);
    runToEnd();
    EXPECT_EQ(fileBytes(), "D\tstat\r\n8 9\r\nD 10\r\nd 11\r\n D 12\r\n\r\n");
}

TEST_F(TransferTest, EmptyOrImpossibleCountsEndWithTheirMessage) {
    struct Case {
        std::string statisticsCount, memoryCount, message, file;
    };
    const std::string stats = "MIN\t1.5\r\nMAX\t2.5\r\n";
    const Case cases[] = {
        {"0", "1", "Gauge responds with 0 points in statistics", ""},
        {"no points", "1", "Gauge responds with 0 points in statistics", ""},
        {"2", "0", "Gauge responds with 0 points in memory", stats},
        {"-3", "1", "Gauge responds with invalid point count in statistics", ""},
        {"40000", "1", "Gauge responds with invalid point count in statistics", ""},
        {"2", "1E9", "Gauge responds with invalid point count in memory", stats},
    };
    setBox(CheckBox::chkIncludeStatistics, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statisticsCount + ", " + c.memoryCount);
        useGauge([&c](auto& config) {
            config.statisticsCountText = c.statisticsCount;
            config.memoryCountText = c.memoryCount;
        });
        const std::size_t before = boxes();
        pressAndSave();
        runToEnd();
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_EQ(fileBytes(), c.file);
        EXPECT_FALSE(transfer.pointsFile().isOpen());
        view.advance(5000);  // no timeout follows an early end
        EXPECT_EQ(boxes(), before + 1);
    }
}

TEST_F(TransferTest, TimeoutFourSecondsAfterTheLastReplyKeepsTheRowsWrittenAndFiresOnce) {
    useGauge([](auto& config) {
        config.memoryPoints = gaugesim::generatedMemoryPoints(10);
        config.stopAfterPoints = 2;
    });
    pressAndSave();
    while (transfer.receivedCount() < 2) {
        tick();
    }
    view.advance(3999);
    EXPECT_TRUE(transfer.running());
    view.advance(1);
    EXPECT_EQ(lastMessage(), "Timeout - Improper resonse from gauge");
    EXPECT_EQ(fileBytes(), "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n");
    const std::string written = port.written();
    view.advance(10000);
    EXPECT_EQ(boxes(), 1u);
    EXPECT_EQ(port.written(), written);
}

TEST_F(TransferTest, InvalidPortSendsNothingAndTheWatchdogEndsAnEmptyFile) {
    portValid = false;
    pressAndSave();
    view.advance(4000);
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(lastMessage(), "Timeout - Improper resonse from gauge");
    EXPECT_EQ(fileBytes(), "");
}

TEST_F(TransferTest, RepliesArrivingByteByByteAreAssembledOverTicks) {
    port.setPieceSize(1);
    setBox(CheckBox::chkIncludeStatistics, 1);
    pressAndSave();
    runToEnd();
    EXPECT_EQ(fileBytes(), "MIN\t1.5\r\nMAX\t2.5\r\n1\t12.001\tmm\r\n");
    EXPECT_EQ(lastMessage(), "Transfer Complete - Data saved in file " + folder.file("points.txt"));
}

}  // namespace
