#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "gauge/transfer.h"
#include "pointsfile/file_table.h"
#include "serial/qt_serial_port.h"
#include "support/fake_view.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

using testsupport::readBytes;
using testsupport::writeBytes;

// A small transfer from the simulated gauge on a real pseudo-terminal through the Qt port, in
// real time: every 50 ms of wall time lets the window's clock run 50 ms.
TEST(TransferOverPty, SmallTransferReachesTheFileByteForByte) {
    if (!testsupport::simulatorAvailable()) {
        GTEST_SKIP() << "no gauge simulator or no pseudo-terminal here";
    }
    testsupport::TempFolder folder;
    writeBytes(folder.path() / "stats.txt", "MIN\t1.25\r\nMAX\t2.50\r\n");
    writeBytes(folder.path() / "memory.txt",
               "1\t12.001\tmm\r\nD2\t12.002\tmm\r\n3\t12.003\tmm\r\n");
    testsupport::SimProcess sim({"--link", folder.file("com1"), "--baud", "115200",
                                 "--statistics-file", folder.file("stats.txt"), "--memory-file",
                                 folder.file("memory.txt")});

    testsupport::FakeView view;
    serial::QtSerialPort port(folder.path().string());
    pointsfile::FileTable files;
    gauge::Transfer transfer(view, port, files);
    port.setPortNumber(1);
    port.setLineSettings("115200,n,8,1");
    port.open();
    transfer.startUp();
    view.onTick([&](view::Timer timer) {
        if (timer == view::Timer::timerCheckData) {
            transfer.pollTick(true);
        } else if (timer == view::Timer::tmrCheckTimeout) {
            transfer.watchdogTick();
        }
    });
    view.setTimerPeriod(view::Timer::timerCheckData, 50);
    view.setTimerRunning(view::Timer::timerCheckData, true);
    view.setCheckBoxValue(view::CheckBox::chkIncludeStatistics, 1);
    view.answerNextDialog(folder.file("points.txt"));
    transfer.press();

    for (int i = 0; i < 200 && transfer.running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        view.advance(50);
    }
    ASSERT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text,
              "Transfer Complete - Data saved in file " + folder.file("points.txt"));
    EXPECT_EQ(readBytes(folder.path() / "points.txt"),
              "MIN\t1.25\r\nMAX\t2.50\r\n1\t12.001\tmm\r\n3\t12.003\tmm\r\n");
    EXPECT_EQ(view.label(view::Label::lblPointsToTransfer), "3");
}

}  // namespace
