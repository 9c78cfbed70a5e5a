#include "driver/window_core.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "driver/choice_file.h"
#include "history/history_place.h"
#include "history/local_history.h"
#include "pointsfile/file_table.h"
#include "support/environment.h"
#include "support/fake_port.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"

namespace {

using testsupport::setVariable;

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
        setVariable("XDG_DATA_HOME", folder.file("data"));
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
    EXPECT_EQ(testsupport::readBytes(limitsFile), "\r\n12\r\n-0.125\r\n\r\n");
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

// Starting writes nothing; each download then lands in the default history with the limits'
// characteristic, and the dialog says so. Choices the dialog takes are remembered at once; one
// with a password in the connection string is not taken, and no history keeps nothing.
TEST_F(WindowCoreTest, DownloadsLandInTheHistoryTheDialogNamesAndItsStateSaysSo) {
    const std::filesystem::path user = folder.path() / "qorb-memory-to-file";
    std::filesystem::create_directory(user);
    testsupport::writeBytes(user / "limits.txt", "\r\n\r\n\r\nBore 12H7\r\n");
    // The default place's rule has its own table; here the download only has to land there.
    const std::string historyFile =
        history::defaultHistoryPath(settings::settingsFoldersFor("/opt/qorb"), "/opt/qorb");
    core.onLoad();
    EXPECT_FALSE(std::filesystem::exists(historyFile));
    core.onDownloadHistoryMenu();
    EXPECT_EQ(view.historyStateShown(),
              "No downloads in the history yet; the first one makes " + historyFile + ".");

    view.answerNextDialog(folder.file("points.txt"));
    core.onGetMemoryPoints();
    view.advance(1000);
    core.onDownloadHistoryMenu();
    EXPECT_EQ(view.historyStateShown(), "1 download in the history");
    const std::vector<history::KeptDownload> kept =
        history::LocalHistory(historyFile, history::LocalHistory::Access::Read).list("Bore 12H7");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].rowsReceived, 3);
    EXPECT_EQ(kept[0].counted, 3);

    view.answerHistoryDialog({true, "", "host=qdb password=secret"});
    core.onDownloadHistoryMenu();
    EXPECT_NE(view.historyStateShown().find("password"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(user / "history.txt"));
    view.answerHistoryDialog({false, folder.file("other.sqlite"), ""});
    core.onDownloadHistoryMenu();
    EXPECT_EQ(testsupport::readBytes(user / "history.txt"),
              "none\r\n" + folder.file("other.sqlite") + "\r\n\r\n");
    view.answerNextDialog(folder.file("points.txt"));
    core.onGetMemoryPoints();
    view.advance(1000);
    EXPECT_EQ(
        history::LocalHistory(historyFile, history::LocalHistory::Access::Read).counts().downloads,
        1);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "other.sqlite"));
}

}  // namespace
