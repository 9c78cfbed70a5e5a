#include <gtest/gtest.h>

#include <filesystem>

#include "gauge/transfer.h"
#include "transfer_fixture.h"

using testsupport::TransferFixture;
using view::CheckBox;
using view::Label;
using view::Timer;

namespace {

// The cases where the transfer protects the operator's data and the program beyond the plain
// sequence: cancels, files that cannot be opened or written, presses during a transfer, ticks
// during its message boxes, impossible counts, stale input and a failing line.
class TransferSafetyTest : public TransferFixture {
protected:
    void useEightPoints() {
        useGauge([](gaugesim::GaugeConfig& config) {
            config.memoryPoints = gaugesim::generatedMemoryPoints(8);
        });
    }
};

TEST_F(TransferSafetyTest, CancelledDialogStartsNothing) {
    view.setLabelText(Label::lblEndResult, "earlier row");
    view.setProgressRange(10, 0);
    view.setProgressPosition(7);
    transfer.press();  // no scripted answer: the operator cancels
    EXPECT_EQ(view.dialogsShown().size(), 1u);
    EXPECT_EQ(transfer.state(), 1);
    EXPECT_EQ(view.progressPosition(), 7);
    EXPECT_EQ(view.label(Label::lblEndResult), "earlier row");
    EXPECT_FALSE(view.timerRunning(Timer::tmrCheckTimeout));
    EXPECT_FALSE(transfer.pointsFile().isOpen());
    view.advance(5000);
    EXPECT_EQ(port.written(), "");
    EXPECT_TRUE(view.messageBoxes().empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(TransferSafetyTest, FileThatCannotBeOpenedStartsNothing) {
    const std::string missingFolder = folder.file("missing/points.txt");
    const std::string aFolder = folder.path().string();
    for (const std::string& path : {missingFolder, aFolder}) {
        SCOPED_TRACE(path);
        const std::size_t before = view.messageBoxes().size();
        view.answerNextDialog(path);
        transfer.press();
        EXPECT_EQ(transfer.state(), 1);
        ASSERT_EQ(view.messageBoxes().size(), before + 1);
        const std::string& text = view.messageBoxes().back().text;
        EXPECT_EQ(text.rfind("Unable to open file " + path + ": ", 0), 0u) << text;
        EXPECT_GT(text.size(), ("Unable to open file " + path + ": ").size()) << "no reason given";
        EXPECT_FALSE(view.timerRunning(Timer::tmrCheckTimeout));
    }
    view.advance(5000);
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(view.messageBoxes().size(), 2u);
    EXPECT_EQ(files.freeFileNumber(), 1);
}

TEST_F(TransferSafetyTest, PressDuringTransferCancelledLeavesItRunning) {
    useEightPoints();
    setCheckBox(CheckBox::chkIncludeDeletedItem, 1);
    pressAndSave("first.txt");
    tick(8);
    view.letTimePassInNextDialog(200);  // ticks keep coming while the dialog is open
    transfer.press();
    runToEnd();
    EXPECT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text,
              "Transfer Complete - Data saved in file " + folder.file("first.txt"));
    const std::string written = fileBytes("first.txt");
    EXPECT_EQ(written.rfind("8\t12.0056\tmm\r\n"), written.size() - 14);
}

TEST_F(TransferSafetyTest, PressDuringTransferWithANameEndsItAndStartsAfresh) {
    useEightPoints();
    setCheckBox(CheckBox::chkIncludeDeletedItem, 1);
    pressAndSave("first.txt");
    tick(8);  // MZ, MC and two points
    ASSERT_EQ(transfer.receivedCount(), 2);
    pressAndSave("second.txt");
    EXPECT_EQ(transfer.state(), 8);
    EXPECT_EQ(fileBytes("first.txt"), "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n");
    runToEnd();
    EXPECT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text,
              "Transfer Complete - Data saved in file " + folder.file("second.txt"));
    EXPECT_EQ(fileBytes("second.txt").substr(0, 14), "1\t12.0007\tmm\r\n");
    EXPECT_EQ(files.freeFileNumber(), 1) << "the first file was left open";
}

TEST_F(TransferSafetyTest, TicksDuringTheCompletionMessageDoNotHandleTheReplyAgain) {
    pressAndSave();
    tick(5);  // MZ, MC, MN sent: the next tick completes the only point
    view.letTimePassInNextMessageBox(2000);
    tick();
    EXPECT_EQ(transfer.state(), 1);
    EXPECT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(fileBytes(), "1\t12.001\tmm\r\n");
    EXPECT_EQ(view.label(Label::lblPointsCollected), "1");
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\r");
}

TEST_F(TransferSafetyTest, TicksDuringAnEarlyEndMessageFindTheTransferIdle) {
    useGauge([](gaugesim::GaugeConfig& config) { config.memoryCountText = "0"; });
    pressAndSave();
    view.letTimePassInNextMessageBox(5000);
    runToEnd();
    EXPECT_EQ(port.written(), "MZ\rMC\r");
    EXPECT_EQ(view.messageBoxes().size(), 1u);
}

TEST_F(TransferSafetyTest, StaleInputIsDiscardedOnlyBeforeTheFirstCommand) {
    port.injectInput("late answer from before\r\n");
    setCheckBox(CheckBox::chkIncludeStatistics, 1);
    pressAndSave();
    tick(2);
    EXPECT_EQ(view.label(Label::lblPointsToTransfer), "STAT\r\n");
    // Within the transfer, stray text stays and becomes the start of the next reply.
    tick(2);  // NC sent and its reply collected: count 2
    tick(2);  // NN sent and its reply collected
    EXPECT_EQ(transfer.pointLine(), "MIN\t1.5");
    port.injectInput("X");
    tick(2);
    EXPECT_EQ(transfer.pointLine(), "XMAX\t2.5");
}

TEST_F(TransferSafetyTest, RowThatCannotBeWrittenEndsTheTransfer) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "/dev/full is not available here";
    }
    view.answerNextDialog("/dev/full");
    transfer.press();
    ASSERT_EQ(transfer.state(), 8);
    tick(6);
    EXPECT_EQ(transfer.state(), 1);
    EXPECT_FALSE(view.timerRunning(Timer::tmrCheckTimeout));
    EXPECT_FALSE(transfer.pointsFile().isOpen());
    ASSERT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text,
              "Unable to write file /dev/full: No space left on device");
    view.advance(5000);
    EXPECT_EQ(view.messageBoxes().size(), 1u);
}

TEST_F(TransferSafetyTest, PortFailingUnderTheTransferEndsAtTheTimeout) {
    useEightPoints();
    setCheckBox(CheckBox::chkIncludeDeletedItem, 1);
    pressAndSave();
    tick(6);
    port.unplug();
    view.advance(3999);
    EXPECT_TRUE(transfer.running());
    view.advance(1);
    EXPECT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text, "Timeout - Improper resonse from gauge");
    EXPECT_EQ(fileBytes(), "1\t12.0007\tmm\r\n");
}

}  // namespace
