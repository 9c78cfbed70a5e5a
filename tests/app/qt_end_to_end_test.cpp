#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

#include "qt_end_to_end_fixture.h"

namespace {

using testsupport::readBytes;
using testsupport::writeBytes;

class EndToEnd : public testsupport::WindowOnGauge {};

// What a screen reader hears of a control: its accessible name.
QString heard(QWidget* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// --- Start-up

TEST_F(EndToEnd, StartUpAppliesTheSettingsFileAndTransfersWithEveryOption) {
    // Com 1, 115200 baud, "Include Deletes", "Include Statistics" and space delimiters.
    writeBytes(settingsFile(), "0\r\n5\r\n1\r\n1\r\n1\r\n");
    startGauge();
    startWindow();
    EXPECT_EQ(window->Combo1->currentText(), QStringLiteral("Com 1"));
    EXPECT_EQ(window->Combo2->currentText(), QStringLiteral("115200"));
    EXPECT_EQ(port.lineSettings().baudRate, 115200);
    EXPECT_EQ(heard(window->lblPortConfigured), QStringLiteral("Valid port"));

    const std::string path = pointsFile();
    EXPECT_EQ(transferTo(path), "Transfer Complete - Data saved in file " + path);
    EXPECT_EQ(readBytes(path),
              "MIN 1.25\r\nMAX 2.50\r\n"
              "1 12.001 mm\r\nD2 12.002 mm\r\nd3 12.003 mm\r\n4 12.004 mm\r\n");
    // What the labels show, as a screen reader hears it.
    EXPECT_EQ(heard(window->lblPointsToTransfer), QStringLiteral("4"));
    EXPECT_EQ(heard(window->lblPointsCollected), QStringLiteral("4"));
    EXPECT_EQ(heard(window->lblEndResult), QStringLiteral("4 12.004 mm"));
    for (QLabel* output :
         {window->lblPointsToTransfer, window->lblPointsCollected, window->lblEndResult}) {
        EXPECT_EQ(heard(output), output->text());
    }
    EXPECT_EQ(window->ProgressBar1->value(), 4);
    EXPECT_EQ(driver->boxes().size(), 1u);
}

TEST_F(EndToEnd, StartUpWithoutSettingsFileTakesCom1At38400AndLeavesDeletesOut) {
    startGauge({}, 38400);
    startWindow();
    expectFallbackSelections();

    // Memory only, with the gauge's tabs, the deleted point left out.
    const std::string path = pointsFile();
    EXPECT_EQ(transferTo(path), "Transfer Complete - Data saved in file " + path);
    EXPECT_EQ(readBytes(path), "1\t12.001\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n");
    EXPECT_EQ(driver->boxes().size(), 1u);
}

// --- The gauge's answers

TEST_F(EndToEnd, SilentGaugeTimesOutAfterFourSecondsWithAnEmptyFile) {
    startGauge({"--silent"});
    startWindow();
    const std::string path = pointsFile();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(transferTo(path, 8000), "Timeout - Improper resonse from gauge");
    EXPECT_GE(clock.elapsed(), 3900);
    EXPECT_LT(clock.elapsed(), 6000);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(readBytes(path), "");
    // Idle again: no second message follows.
    EXPECT_FALSE(driver->waitForBoxes(2, 4500));
}

TEST_F(EndToEnd, VersionQueryShowsTheRawAnswerAfterOneSecond) {
    startGauge({"--version-text", "QORB V1.02 SIM"});
    startWindow();
    QElapsedTimer clock;
    clock.start();
    driver->press(window->cmdGetVersion);
    EXPECT_EQ(heard(window->lblDebug), QStringLiteral("Getting version"));
    ASSERT_TRUE(gaugesim::WindowDriver::waitUntil(
        [&] { return window->lblDebug->text() != QStringLiteral("Getting version"); }, 3000));
    EXPECT_GE(clock.elapsed(), 950);
    // The answer's CR LF stands in the label as its line break.
    EXPECT_EQ(window->lblDebug->text(), QStringLiteral("QORB V1.02 SIM\n"));
    EXPECT_EQ(heard(window->lblDebug), window->lblDebug->text());
    EXPECT_TRUE(driver->boxes().empty());
}

// --- Leaving the program

TEST_F(EndToEnd, ExitDuringATransferReportsTheSaveKeepsTheRowsAndEnds) {
    // The gauge answers two memory points, then keeps the third back.
    startGauge({"--stop-after", "2"});
    startWindow();
    const std::string path = pointsFile();
    startTransfer(path);
    ASSERT_TRUE(gaugesim::WindowDriver::waitUntil(
        [&] { return window->lblPointsCollected->text() == QStringLiteral("2"); }, 5000));

    EXPECT_EQ(exitProgram(), 0);
    EXPECT_TRUE(window->ended());
    ASSERT_EQ(driver->boxes().size(), 1u);
    EXPECT_EQ(driver->boxes()[0].text.toStdString(),
              "An error occured while saving file " + settingsFile().string());
    EXPECT_EQ(driver->boxes()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(driver->boxes()[0].title, QStringLiteral("QORB Memory to File"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
    EXPECT_EQ(readBytes(path), "1\t12.001\tmm\r\n");
}

TEST_F(EndToEnd, CloseCommandClosesThePortAndWritesTheSettingsOnce) {
    startGauge();
    startWindow();
    // Chosen, not applied: the settings keep what the lists show.
    window->Combo1->setCurrentIndex(2);
    window->Combo2->setCurrentIndex(4);
    driver->setChecked(window->chkIncludeStatistics, true);
    driver->setChecked(window->CheckUseSpaceDelimiters, true);
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(window->ended());
    EXPECT_EQ(readBytes(settingsFile()), "2\r\n4\r\n0\r\n1\r\n1\r\n");

    writeBytes(settingsFile(), "untouched");
    window.reset();
    EXPECT_EQ(readBytes(settingsFile()), "untouched");
    EXPECT_TRUE(driver->boxes().empty());
}

// --- Settings copies

TEST_F(EndToEnd, SaveWritesACopyAndOpenBringsItBackAndAppliesIt) {
    startGauge();
    writeBytes(settingsFile(), "0\r\n5\r\n0\r\n1\r\n0\r\n");
    startWindow();
    driver->setChecked(window->chkIncludeDeletedItem, true);
    const std::string copy = folder.file("copy.txt");
    driver->chooseFile(QString::fromStdString(copy));
    window->SaveMenu->trigger();
    EXPECT_EQ(readBytes(copy), "0\r\n5\r\n1\r\n1\r\n0\r\n");

    // Another port, applied: there is nothing on Com 2.
    window->Combo1->setCurrentIndex(1);
    window->Combo2->setCurrentIndex(0);
    driver->setChecked(window->chkIncludeDeletedItem, false);
    driver->press(window->cmdSetNewBaudRate);
    EXPECT_EQ(window->lblPortConfigured->text(), QStringLiteral("Invalid port"));

    driver->chooseFile(QString::fromStdString(copy));
    window->OpenMenu->trigger();
    EXPECT_EQ(window->Combo1->currentText(), QStringLiteral("Com 1"));
    EXPECT_EQ(window->Combo2->currentText(), QStringLiteral("115200"));
    EXPECT_EQ(window->chkIncludeDeletedItem->checkState(), Qt::Checked);
    EXPECT_EQ(window->chkIncludeStatistics->checkState(), Qt::Checked);
    EXPECT_EQ(window->lblPortConfigured->text(), QStringLiteral("Valid port"));
    EXPECT_EQ(port.lineSettings().baudRate, 115200);
    EXPECT_TRUE(driver->boxes().empty());

    // The gauge is reached again through the reopened port.
    const std::string path = pointsFile();
    EXPECT_EQ(transferTo(path), "Transfer Complete - Data saved in file " + path);
    EXPECT_EQ(readBytes(path),
              "MIN\t1.25\r\nMAX\t2.50\r\n"
              "1\t12.001\tmm\r\nD2\t12.002\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n");
}

}  // namespace
