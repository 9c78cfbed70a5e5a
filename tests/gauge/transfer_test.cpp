#include <gtest/gtest.h>

#include "gauge/transfer.h"
#include "transfer_fixture.h"

using testsupport::TransferFixture;
using view::CheckBox;
using view::Label;
using view::Timer;

namespace {

class TransferTest : public TransferFixture {};

TEST_F(TransferTest, WorkedExampleTickByTick) {
    setCheckBox(CheckBox::chkIncludeStatistics, 1);
    pressAndSave();
    ASSERT_EQ(view.dialogsShown().size(), 1u);
    const view::SaveDialogRequest& dialog = view.dialogsShown()[0].request;
    EXPECT_EQ(dialog.title, "Select directory and filename to save points");
    EXPECT_EQ(dialog.defaultName, "MemoryPoints.txt");
    EXPECT_EQ(dialog.defaultExtension, "txt");
    EXPECT_TRUE(dialog.askBeforeReplacing);
    EXPECT_EQ(transfer.state(), 2);
    EXPECT_TRUE(view.timerRunning(Timer::tmrCheckTimeout));

    struct Tick {
        std::string written;  // everything written to the line so far
        int stateAfter;
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
        EXPECT_EQ(transfer.state(), expected.stateAfter);
        EXPECT_EQ(view.label(Label::lblPointsToTransfer), expected.pointsToTransfer);
        EXPECT_EQ(view.label(Label::lblPointsCollected), expected.pointsCollected);
        EXPECT_EQ(view.progressPosition(), expected.progress);
        EXPECT_EQ(view.progressUpper(), expected.progressUpper);
    }
    EXPECT_EQ(view.label(Label::lblEndResult), "1\t12.001\tmm");
    EXPECT_EQ(fileBytes(), "MIN\t1.5\r\nMAX\t2.5\r\n1\t12.001\tmm\r\n");
    EXPECT_FALSE(view.timerRunning(Timer::tmrCheckTimeout));
    EXPECT_FALSE(transfer.pointsFile().isOpen());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Transfer Complete - Data saved in file " + folder.file("points.txt"));
    EXPECT_EQ(view.messageBoxes()[0].icon, view::MessageIcon::None);

    // Long after the end, neither the watchdog nor the poll tick does anything more.
    view.advance(10000);
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(port.written(), "NZ\rNC\rNN\rNN\rMZ\rMC\rMN\r");
}

TEST_F(TransferTest, StatisticsOffAsksOnlyForMemory) {
    useGauge([](gaugesim::GaugeConfig& config) { config.memoryPoints = {"1\t1", "2\t2", "3\t3"}; });
    pressAndSave();
    EXPECT_EQ(transfer.state(), 8);
    runToEnd();
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\rMN\rMN\r");
    EXPECT_EQ(fileBytes(), "1\t1\r\n2\t2\r\n3\t3\r\n");
}

TEST_F(TransferTest, SectionOfNPointsTakesTwoNPlusFourTicks) {
    useGauge([](gaugesim::GaugeConfig& config) {
        config.memoryPoints = gaugesim::generatedMemoryPoints(7);
    });
    pressAndSave();
    int ticks = 0;
    while (transfer.running() && ticks < 1000) {
        tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 2 * 7 + 4);
}

TEST_F(TransferTest, RulesAreReadAtEachPoint) {
    useGauge([](gaugesim::GaugeConfig& config) {
        config.statisticsPoints = {"D\tstat"};
        config.memoryPoints = {"D\t7", "8\t9", "D\t10", "d\t11", " D\t12", ""};
    });
    setCheckBox(CheckBox::chkIncludeStatistics, 1);
    setCheckBox(CheckBox::CheckUseSpaceDelimiters, 2);  // greyed counts as off
    pressAndSave();
    // Up to the memory count: the statistics row goes through with its tab kept.
    while (transfer.state() != 12) {
        tick();
    }
    tick(2);  // first memory point: "D\t7" left out, deletes off
    EXPECT_EQ(view.label(Label::lblEndResult), "D\t7");
    EXPECT_EQ(view.progressPosition(), 1);
    setCheckBox(CheckBox::CheckUseSpaceDelimiters, 1);
    tick(2);  // "8 9" with a blank
    setCheckBox(CheckBox::chkIncludeDeletedItem, 1);
    tick(2);  // "D 10" written now that deletes are on
    setCheckBox(CheckBox::chkIncludeDeletedItem, 0);
    runToEnd();
    EXPECT_EQ(fileBytes(), "D\tstat\r\n8 9\r\nD 10\r\nd 11\r\n D 12\r\n\r\n");
}

TEST_F(TransferTest, IncludeStatisticsIsReadOnlyAtThePress) {
    pressAndSave();
    setCheckBox(CheckBox::chkIncludeStatistics, 1);
    runToEnd();
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\r");
}

TEST_F(TransferTest, EmptySectionsEndWithTheirMessage) {
    struct Case {
        std::string statisticsCount;
        std::string memoryCount;
        std::string message;
        std::string fileContent;
        std::string lastCommands;
    };
    const Case cases[] = {
        {"0", "1", "Gauge responds with 0 points in statistics", "", "NZ\rNC\r"},
        {"no points", "1", "Gauge responds with 0 points in statistics", "", "NZ\rNC\r"},
        {"2", "0", "Gauge responds with 0 points in memory", "MIN\t1.5\r\nMAX\t2.5\r\n",
         "MZ\rMC\r"},
        {"-3", "1", "Gauge responds with invalid point count in statistics", "", "NZ\rNC\r"},
        {"40000", "1", "Gauge responds with invalid point count in statistics", "", "NZ\rNC\r"},
        {"2", "-1", "Gauge responds with invalid point count in memory", "MIN\t1.5\r\nMAX\t2.5\r\n",
         "MZ\rMC\r"},
        {"2", "1E9", "Gauge responds with invalid point count in memory",
         "MIN\t1.5\r\nMAX\t2.5\r\n", "MZ\rMC\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("statistics " + c.statisticsCount + ", memory " + c.memoryCount);
        useGauge([&c](gaugesim::GaugeConfig& config) {
            config.statisticsCountText = c.statisticsCount;
            config.memoryCountText = c.memoryCount;
        });
        const std::size_t boxesBefore = view.messageBoxes().size();
        const std::size_t writtenBefore = port.written().size();
        setCheckBox(CheckBox::chkIncludeStatistics, 1);
        pressAndSave();
        runToEnd();
        EXPECT_EQ(transfer.state(), 1);
        EXPECT_FALSE(view.timerRunning(Timer::tmrCheckTimeout));
        EXPECT_FALSE(transfer.pointsFile().isOpen());
        ASSERT_EQ(view.messageBoxes().size(), boxesBefore + 1);
        EXPECT_EQ(view.messageBoxes().back().text, c.message);
        EXPECT_EQ(fileBytes(), c.fileContent);
        const std::string written = port.written().substr(writtenBefore);
        EXPECT_EQ(written.substr(written.size() - c.lastCommands.size()), c.lastCommands);
        // No timeout follows an early end.
        view.advance(5000);
        EXPECT_EQ(view.messageBoxes().size(), boxesBefore + 1);
    }
}

TEST_F(TransferTest, TimeoutKeepsRowsWrittenBeforeIt) {
    useGauge([](gaugesim::GaugeConfig& config) {
        config.memoryPoints = gaugesim::generatedMemoryPoints(10);
        config.stopAfterPoints = 4;
    });
    setCheckBox(CheckBox::chkIncludeDeletedItem, 1);
    pressAndSave();
    while (transfer.receivedCount() < 4) {
        tick();
    }
    const long long lastReply = view.now();
    view.advance(3950);
    EXPECT_TRUE(transfer.running());
    EXPECT_TRUE(messages().empty());
    view.advance(50);
    EXPECT_EQ(view.now() - lastReply, 4000);
    EXPECT_EQ(transfer.state(), 1);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Timeout - Improper resonse from gauge");
    EXPECT_EQ(fileBytes(),
              "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n3\t12.0021\tmm\r\n4\t12.0028\tmm\r\n");
    EXPECT_FALSE(view.timerRunning(Timer::tmrCheckTimeout));
    // The timeout fires once; poll ticks after it do nothing.
    const std::string written = port.written();
    view.advance(10000);
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(port.written(), written);
}

TEST_F(TransferTest, ReplyWithoutLineFeedEndsAtTheTimeout) {
    useGauge([](gaugesim::GaugeConfig& config) { config.omitLineFeed = true; });
    pressAndSave();
    view.advance(3950);
    EXPECT_EQ(transfer.state(), 9);
    view.advance(50);
    EXPECT_EQ(messages(), std::vector<std::string>{"Timeout - Improper resonse from gauge"});
    EXPECT_EQ(fileBytes(), "");
    EXPECT_EQ(transfer.reply().buffer(), "MEM\r");
}

TEST_F(TransferTest, RepliesArrivingInPiecesAreAssembled) {
    port.setPieceSize(1);
    setCheckBox(CheckBox::chkIncludeStatistics, 1);
    pressAndSave();
    runToEnd();
    EXPECT_EQ(fileBytes(), "MIN\t1.5\r\nMAX\t2.5\r\n1\t12.001\tmm\r\n");
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(TransferTest, InvalidPortLetsTheWatchdogEndAnEmptyFile) {
    portValid = false;
    pressAndSave();
    view.advance(4000);
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(messages(), std::vector<std::string>{"Timeout - Improper resonse from gauge"});
    EXPECT_EQ(fileBytes(), "");
}

TEST_F(TransferTest, NextPressAfterAnEndStartsAfresh) {
    useGauge([](gaugesim::GaugeConfig& config) { config.memoryCountText = "0"; });
    pressAndSave("first.txt");
    runToEnd();
    useGauge([](gaugesim::GaugeConfig&) {});
    pressAndSave("second.txt");
    runToEnd();
    EXPECT_EQ(fileBytes("second.txt"), "1\t12.001\tmm\r\n");
    EXPECT_EQ(messages().back(),
              "Transfer Complete - Data saved in file " + folder.file("second.txt"));
}

}  // namespace
