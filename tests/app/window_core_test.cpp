#include <gtest/gtest.h>

#include <filesystem>

#include "app/window_core.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"

using testsupport::readBytes;
using testsupport::writeBytes;
using view::CheckBox;
using view::Label;
using view::List;
using view::Timer;

namespace {

// The program's life in virtual time: the window's events go to the core as Form1 sends them.
class WindowCoreTest : public ::testing::Test {
protected:
    WindowCoreTest() : port(gauge()), core(view, port, files) {
        view.setProgramFolder(folder.path().string());
        view.onTick([this](Timer timer) { core.onTimerTick(timer); });
        view.onUnload([this] { core.onUnload(); });
    }

    static gaugesim::GaugeConfig gauge() {
        gaugesim::GaugeConfig config;
        config.memoryPoints = gaugesim::generatedMemoryPoints(6);
        config.versionText = "QORB 2.0";
        return config;
    }

    std::filesystem::path settingsFile() const { return folder.path() / "avrbl.txt"; }

    testsupport::TempFolder folder;
    testsupport::FakeView view;
    testsupport::FakePort port;
    pointsfile::FileTable files;
    app::WindowCore core;
};

TEST_F(WindowCoreTest, StartWithSavedSettingsAndAnInvalidPortComesUpAndExitStillSaves) {
    writeBytes(settingsFile(), "4\r\n5\r\n1\r\n0\r\n1\r\n");
    port.setPortExists(false);
    core.onLoad();
    EXPECT_EQ(view.selectedListIndex(List::Combo1), 4);
    EXPECT_EQ(view.selectedListIndex(List::Combo2), 5);
    EXPECT_EQ(view.checkBoxValue(CheckBox::chkIncludeDeletedItem), 1);
    EXPECT_EQ(view.checkBoxValue(CheckBox::CheckUseSpaceDelimiters), 1);
    EXPECT_EQ(view.label(Label::lblPortConfigured), "Invalid port");
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(view.timerRunning(Timer::timerCheckData));
    std::filesystem::remove(settingsFile());
    core.onExit();
    EXPECT_EQ(port.closeCount(), 0);
    EXPECT_EQ(readBytes(settingsFile()), "4\r\n5\r\n1\r\n0\r\n1\r\n");
}

TEST_F(WindowCoreTest, ExitClosesThePortAndSavesTheSettingsOnce) {
    core.onLoad();
    view.selectListEntry(List::Combo1, 2);
    view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 1);
    core.onExit();
    EXPECT_EQ(view.unloadCount(), 1);
    EXPECT_EQ(view.endCount(), 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.closeCount(), 2);  // the probe's close, then the shut-down's
    EXPECT_EQ(readBytes(settingsFile()), "2\r\n3\r\n0\r\n1\r\n0\r\n");
    // A close command arriving after Exit changes nothing more.
    std::filesystem::remove(settingsFile());
    core.onUnload();
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
    EXPECT_TRUE(view.messageBoxes().empty());
}

TEST_F(WindowCoreTest, ExitDuringATransferKeepsItsRowsAndLeavesThePortAlone) {
    core.onLoad();
    view.setCheckBoxValue(CheckBox::chkIncludeDeletedItem, 1);
    view.answerNextDialog(folder.file("points.txt"));
    core.onGetMemoryPoints();
    view.advance(50 * 8);  // MZ, MC and two points
    ASSERT_EQ(core.transfer().receivedCount(), 2);
    const std::string written = port.written();
    const int reads = port.readCount();

    // The save fails (the points file holds number 1); ticks run while its message is open.
    view.letTimePassInNextMessageBox(5000);
    core.onExit();
    ASSERT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text,
              "An error occured while saving file " + settingsFile().string());
    EXPECT_EQ(view.messageBoxes()[0].icon, view::MessageIcon::Exclamation);
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
    EXPECT_EQ(port.written(), written);
    EXPECT_EQ(port.readCount(), reads);
    EXPECT_EQ(view.endCount(), 1);

    // The program's end closes the points file with the rows written so far.
    files.closeAll();
    EXPECT_EQ(readBytes(folder.path() / "points.txt"), "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n");
}

TEST_F(WindowCoreTest, HelpShowsItsTextToTheByte) {
    core.onHelp();
    ASSERT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text,
              "********************* Transfer Memory Points to File *********************\r\n\n"
              "1 - Check or uncheck Save File includes to include or not include data in "
              "transfer\r\n");
    EXPECT_EQ(view.messageBoxes()[0].icon, view::MessageIcon::None);
}

TEST_F(WindowCoreTest, InfoNamesTheProductAndBothVersions) {
    core.onInfoMenu();
    ASSERT_EQ(view.messageBoxes().size(), 1u);
    const std::string& text = view.messageBoxes()[0].text;
    EXPECT_NE(text.find("QORB_MemoryToFile"), std::string::npos);
    EXPECT_NE(text.find("V1.02  02/23/2018"), std::string::npos);
    EXPECT_NE(text.find("1.00"), std::string::npos);
}

TEST_F(WindowCoreTest, OpenMenuCancelledChangesNothingAndAChosenCopyIsApplied) {
    core.onLoad();
    const std::string copy = folder.file("copy.txt");
    writeBytes(copy, "1\r\n1\r\n0\r\n1\r\n0\r\n");
    core.onOpenMenu();  // cancelled: nothing changes
    EXPECT_EQ(view.selectedListIndex(List::Combo1), 0);
    ASSERT_EQ(view.openDialogsShown().size(), 1u);
    EXPECT_EQ(view.openDialogsShown()[0].title, "Select File to Open");
    EXPECT_EQ(view.openDialogsShown()[0].filter, "Text Files (*.txt)|*.txt");

    view.answerNextDialog(copy);
    core.onOpenMenu();
    EXPECT_EQ(port.portNumber(), 2);
    EXPECT_EQ(port.lineSettings()->baudRate, 9600);
}

TEST_F(WindowCoreTest, VersionQueryDuringATransferLeavesTheRepliesToIt) {
    core.onLoad();
    core.onGetVersion();
    EXPECT_EQ(port.written(), "V\r");
    view.advance(1000);
    EXPECT_EQ(view.label(Label::lblDebug), "QORB 2.0\r\n");

    view.answerNextDialog(folder.file("points.txt"));
    core.onGetMemoryPoints();
    view.advance(100);
    core.onGetVersion();
    EXPECT_EQ(view.label(Label::lblDebug), "Transfer in progress");
    view.setCheckBoxValue(CheckBox::chkIncludeDeletedItem, 1);
    view.advance(50 * 20);
    EXPECT_EQ(port.written(), "V\rMZ\rMC\rMN\rMN\rMN\rMN\rMN\rMN\r");
    EXPECT_EQ(view.messageBoxes().back().text,
              "Transfer Complete - Data saved in file " + folder.file("points.txt"));
}

}  // namespace
