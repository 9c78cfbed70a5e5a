#include "driver/window_core.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "driver/choice_file.h"
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

gaugesim::GaugeConfig threePoints() {
    gaugesim::GaugeConfig gauge;
    gauge.memoryPoints = {"1\t12.5", "2\t12.6", "3\t12.7"};
    return gauge;
}

// The core on a gauge of three points. The fake window's program folder cannot be written: its
// choices go to the user's folder, here in the test's folder.
class WindowCoreTest : public ::testing::Test {
protected:
    WindowCoreTest() {
        setVariable("XDG_CONFIG_HOME", folder.file(""));
        setVariable("LOCALAPPDATA", folder.file(""));
        view.onTick([this](view::Timer timer) { core.onTimerTick(timer); });
    }

    const testsupport::TempFolder folder;
    testsupport::FakeView view;
    testsupport::FakePort port{threePoints()};
    pointsfile::FileTable files;
    driver::WindowCore core{view, port, files};
};

// The record comes from the window's choices and the gauge's last version answer; closing the
// window in the middle leaves a workbook that says so, and the name choice is kept for next time.
TEST_F(WindowCoreTest, TheRecordTellsPortBaudAndGaugeVersionAndExitEndsTheWorkbook) {
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

std::tuple<std::optional<double>, std::optional<double>, std::optional<double>> limitsOf(
    const pointsfile::SummaryChoices& summary) {
    return {summary.lowerLimit, summary.upperLimit, summary.nominal};
}

// The limits come from the file at start-up; new ones taken in the dialog while a transfer runs
// (its ticks go on under the dialog) leave that transfer whole and reach the next one and the file.
TEST_F(WindowCoreTest, LimitsTakenInTheDialogDuringATransferReachTheNextOneAndTheFile) {
    const std::filesystem::path limitsFile = folder.path() / "qorb-memory-to-file" / "limits.txt";
    std::filesystem::create_directory(limitsFile.parent_path());
    testsupport::writeBytes(limitsFile, "12.5\r\n13.5\r\n\r\n");
    core.onLoad();
    view.answerNextDialog(folder.file("points.txt"));
    core.onGetMemoryPoints();
    view.advance(100);
    pointsfile::SummaryChoices typed;
    typed.upperLimit = 12.0;
    typed.nominal = -0.125;
    view.answerLimitsDialog(typed);
    view.letTimePassInNextModal(5000);
    core.onToleranceLimitsMenu();

    EXPECT_EQ(limitsOf(view.limitsShown()), std::tuple(12.5, 13.5, std::nullopt));
    EXPECT_EQ(core.transfer().record().rowsWritten, 3);
    EXPECT_TRUE(core.transfer().record().endMessage.starts_with("Transfer Complete"));
    EXPECT_EQ(limitsOf(core.transfer().output().summary), limitsOf(typed));
    EXPECT_EQ(testsupport::readBytes(limitsFile), "\r\n12\r\n-0.125\r\n");
    core.onToleranceLimitsMenu();  // cancelled: nothing changes
    EXPECT_EQ(limitsOf(core.transfer().output().summary), limitsOf(typed));
}

// A file the dialog would refuse, or with a line too long to be a limit, gives no limits at all.
TEST_F(WindowCoreTest, ALimitsFileTheDialogWouldRefuseGivesNone) {
    for (const std::string& bytes : {std::string("13\r\n12\r\n"), std::string(99, '1')}) {
        testsupport::writeBytes(folder.path() / "limits.txt", bytes);
        EXPECT_EQ(limitsOf(driver::readLimits(files, folder.file("limits.txt"))), limitsOf({}));
    }
}

}  // namespace
