#include "driver/window_core.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"

namespace {

void setVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

// The record comes from the window's choices and the gauge's last version answer; closing the
// window in the middle leaves a workbook that says so, and the name choice is kept for next time.
TEST(WindowCoreTest, TheRecordTellsPortBaudAndGaugeVersionAndExitEndsTheWorkbook) {
    const testsupport::TempFolder folder;
    // The fake window's program folder cannot be written: its choices go to the user's folder.
    setVariable("XDG_CONFIG_HOME", folder.file(""));
    setVariable("LOCALAPPDATA", folder.file(""));
    testsupport::FakeView view;
    gaugesim::GaugeConfig gauge;
    gauge.memoryPoints = {"1\t12.5", "2\t12.6", "3\t12.7"};
    testsupport::FakePort port(gauge);
    pointsfile::FileTable files;
    driver::WindowCore core(view, port, files);
    view.onTick([&](view::Timer timer) { core.onTimerTick(timer); });
    core.loadChoices(folder.file("avrbl.txt"));
    view.selectListEntry(view::List::Combo1, 2);
    view.selectListEntry(view::List::Combo2, 1);
    core.onSetNewBaudRate();
    core.onGetVersion();
    view.advance(1000);
    core.onDateTimeNameMenu(true);

    view.answerNextDialog(folder.file("points.xlsx"));
    core.onGetMemoryPoints();
    view.advance(400);  // two points of the three
    core.onUnload();

    const std::string offered = view.offeredName();
    EXPECT_EQ(offered.size(), std::string("MemoryPoints_2026-12-07_1415.txt").size()) << offered;
    EXPECT_TRUE(offered.starts_with("MemoryPoints_20") && offered.ends_with(".txt")) << offered;
    const pointsfile::DownloadRecord& record = core.transfer().record();
    EXPECT_EQ(record.program, "QORB Memory to File");
    EXPECT_EQ(record.port, "Com 3");
    EXPECT_EQ(record.device, "fake COM3");
    EXPECT_EQ(record.baudRate, "9600");
    EXPECT_EQ(record.gaugeVersion, "QORB V1.02");
    EXPECT_EQ(record.rowsWritten, 2);
    EXPECT_EQ(record.endMessage, "Ended by Exit during the transfer");
    EXPECT_EQ(testsupport::readBytes(folder.path() / "points.xlsx").substr(0, 2), "PK");
    EXPECT_EQ(testsupport::readBytes(folder.path() / "qorb-memory-to-file" / "names.txt"),
              "dated\r\n");
}

}  // namespace
