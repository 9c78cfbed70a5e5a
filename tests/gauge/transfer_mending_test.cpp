#include <gtest/gtest.h>

#include <filesystem>

#include "transfer_fixture.h"

using view::CheckBox;
using view::Label;
using view::Timer;

namespace {

// Where the transfer protects the operator's data and the program beyond the plain sequence:
// cancels, files that cannot be opened or written, presses during a transfer, ticks during its
// message boxes, stale input and a failing line.
class TransferSafetyTest : public testsupport::TransferFixture {};

TEST_F(TransferSafetyTest, CancelledDialogStartsNothing) {
    view.setProgressPosition(7);
    transfer.press();  // no scripted answer: the operator cancels
    EXPECT_EQ(view.dialogsShown().size(), 1u);
    EXPECT_EQ(view.progressPosition(), 7);
    view.advance(5000);
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(boxes(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(TransferSafetyTest, FileThatCannotBeOpenedStartsNothingAndSaysWhy) {
    for (const std::string& path : {folder.file("missing/points.txt"), folder.path().string()}) {
        view.answerNextDialog(path);
        transfer.press();
        EXPECT_EQ(transfer.state(), 1);
        const std::string prefix = "Unable to open file " + path + ": ";
        EXPECT_EQ(lastMessage().rfind(prefix, 0), 0u) << lastMessage();
        EXPECT_GT(lastMessage().size(), prefix.size()) << "no reason given";
    }
    view.advance(5000);
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(boxes(), 2u);
    EXPECT_EQ(files.freeFileNumber(), 1);
}

TEST_F(TransferSafetyTest, PressDuringATransferCancelledGoesOnWithANameStartsAfresh) {
    useMemoryPoints(8);
    pressAndSave("first.txt");
    tick(8);                            // MZ, MC and two points
    view.letTimePassInNextDialog(200);  // ticks keep coming while the dialog is open
    transfer.press();
    EXPECT_EQ(transfer.receivedCount(), 4);
    pressAndSave("second.txt");
    EXPECT_EQ(transfer.state(), 8);
    EXPECT_EQ(fileBytes("first.txt"),
              "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n3\t12.0021\tmm\r\n4\t12.0028\tmm\r\n");
    runToEnd();
    EXPECT_EQ(boxes(), 1u);
    EXPECT_EQ(lastMessage(), "Transfer Complete - Data saved in file " + folder.file("second.txt"));
    EXPECT_EQ(files.freeFileNumber(), 1) << "the first file was left open";
}

TEST_F(TransferSafetyTest, TicksDuringTheEndMessageDoNothing) {
    for (const char* count : {"1", "0"}) {  // the completion message, an early end's message
        SCOPED_TRACE(count);
        useGauge([count](auto& config) { config.memoryCountText = count; });
        const std::size_t before = boxes();
        const std::size_t written = port.written().size();
        pressAndSave();
        view.letTimePassInNextMessageBox(5000);
        runToEnd();
        EXPECT_EQ(port.written().substr(written), count[0] == '1' ? "MZ\rMC\rMN\r" : "MZ\rMC\r");
        EXPECT_EQ(boxes(), before + 1);
        EXPECT_EQ(fileBytes(), count[0] == '1' ? "1\t12.001\tmm\r\n" : "");
    }
}

TEST_F(TransferSafetyTest, StaleInputIsDiscardedOnlyBeforeTheFirstCommand) {
    port.injectInput("late answer from before\r\n");
    setBox(CheckBox::chkIncludeStatistics, 1);
    pressAndSave();
    tick(2);
    EXPECT_EQ(view.label(Label::lblPointsToTransfer), "STAT\r\n");
    tick(4);  // the count, then the first point
    EXPECT_EQ(transfer.pointLine(), "MIN\t1.5");
    port.injectInput("X");  // within the transfer it becomes the start of the next reply
    tick(2);
    EXPECT_EQ(transfer.pointLine(), "XMAX\t2.5");
}

TEST_F(TransferSafetyTest, RowThatCannotBeWrittenEndsTheTransferOnce) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "/dev/full is not available here";
    }
    view.answerNextDialog("/dev/full");
    transfer.press();
    tick(6);
    EXPECT_EQ(transfer.state(), 1);
    EXPECT_FALSE(transfer.pointsFile().isOpen());
    EXPECT_EQ(lastMessage(), "Unable to write file /dev/full: No space left on device");
    view.advance(5000);
    EXPECT_EQ(boxes(), 1u);
}

TEST_F(TransferSafetyTest, PortFailingUnderTheTransferEndsAtTheTimeout) {
    useMemoryPoints(8);
    pressAndSave();
    tick(6);
    port.unplug();
    view.advance(3999);
    EXPECT_TRUE(transfer.running());
    view.advance(1);
    EXPECT_EQ(lastMessage(), "Timeout - Improper resonse from gauge");
    EXPECT_EQ(fileBytes(), "1\t12.0007\tmm\r\n");
}

}  // namespace
