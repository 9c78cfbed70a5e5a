#include <gtest/gtest.h>

#include <filesystem>

#include "transfer_fixture.h"

using view::CheckBox;

namespace {

// Where the transfer protects the operator's data and the program beyond the plain sequence.
class TransferMendingTest : public testsupport::TransferFixture {};

TEST_F(TransferMendingTest, CancelledDialogOrAFileThatCannotBeOpenedStartsNothing) {
    view.setProgressPosition(7);
    transfer.press();  // no scripted answer: the operator cancels
    EXPECT_EQ(view.progressPosition(), 7);
    for (const std::string& path : {folder.file("missing/points.txt"), folder.path().string()}) {
        view.answerNextDialog(path);
        transfer.press();
        EXPECT_EQ(transfer.state(), 1);
        const std::string prefix = "Unable to open file " + path + ": ";
        EXPECT_EQ(lastMessage().rfind(prefix, 0), 0u) << lastMessage();
    }
    view.advance(5000);
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(view.messageBoxes().size(), 2u);
    EXPECT_EQ(files.freeFileNumber(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

// Ticks keep coming while the dialog is open: a cancel lets the transfer go on, a name starts
// afresh and closes the first file with its rows.
TEST_F(TransferMendingTest, PressDuringATransferCancelledGoesOnWithANameStartsAfresh) {
    useGauge([](auto& config) { config.memoryPoints = gaugesim::generatedMemoryPoints(8); });
    pressAndSave("first.txt");
    tick(8);  // MZ, MC and two points
    view.letTimePassInNextModal(200);
    transfer.press();
    EXPECT_EQ(transfer.receivedCount(), 4);
    pressAndSave("second.txt");
    EXPECT_EQ(transfer.state(), 8);
    EXPECT_EQ(fileBytes("first.txt"),
              "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n3\t12.0021\tmm\r\n4\t12.0028\tmm\r\n");
    runToEnd();
    EXPECT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(lastMessage(), "Transfer Complete - Data saved in file " + folder.file("second.txt"));
    EXPECT_EQ(files.freeFileNumber(), 1) << "the first file was left open";
}

// Stale input is discarded before the first command only; within the transfer it becomes the
// start of the next reply.
TEST_F(TransferMendingTest, StaleInputIsDiscardedOnlyBeforeTheFirstCommand) {
    port.injectInput("late answer from before\r\n");
    view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 1);
    pressAndSave();
    tick(2);
    EXPECT_EQ(view.label(view::Label::lblPointsToTransfer), "STAT\r\n");
    tick(4);  // the count, then the first point
    EXPECT_EQ(transfer.pointLine(), "MIN\t1.5");
    port.injectInput("X");
    tick(2);
    EXPECT_EQ(transfer.pointLine(), "XMAX\t2.5");
}

TEST_F(TransferMendingTest, RowThatCannotBeWrittenEndsTheTransferOnce) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "/dev/full is not available here";
    }
    view.answerNextDialog("/dev/full");
    transfer.press();
    tick(6);
    EXPECT_EQ(transfer.state(), 1);
    EXPECT_FALSE(transfer.fileOpen());
    EXPECT_EQ(lastMessage(), "Unable to write file /dev/full: No space left on device");
    view.advance(5000);
    EXPECT_EQ(view.messageBoxes().size(), 1u);
}

}  // namespace
