#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "pointsfile/file_table.h"
#include "serial/qt_serial_port.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "tools/qt_window_driver.h"

namespace {

using gaugesim::WindowDriver;
using testsupport::readBytes;
using testsupport::writeBytes;
using Arguments = std::vector<std::string>;

constexpr const char* kTimeout = "Timeout - Improper resonse from gauge";
constexpr const char* kComplete = "Transfer Complete - Data saved in file ";
// The simulated gauge's points as written with tabs; its fifth memory point, D5, is deleted.
const std::string kStatisticsRows = "N\t12.5000\tmm\r\nMIN\t12.5125\tmm\r\n";
const std::string kMemoryRows =
    "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n3\t12.0021\tmm\r\n4\t12.0028\tmm\r\n";
const std::string kTwoRows = "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n";

QString heard(QWidget* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// The real window on the real serial port, attached as Com 1 through a com1 link in the
// program's folder to the simulated gauge on a pty, in real time; the driver plays the operator.
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "no gauge simulator or no pseudo-terminal here";
        }
        // The file dialogs remember their folder in the user's settings: keep that in the test.
        setenv("XDG_CONFIG_HOME", folder.file("config").c_str(), 1);
    }

    // (Re)starts the gauge as Com 1 with 2 statistics and 5 memory points and any faults.
    void startGauge(const Arguments& faults = {}, const char* baud = "115200") {
        gauge.reset();
        Arguments arguments = {"--link", folder.file("com1"), "--baud", baud,   "--statistics",
                               "2",      "--memory",          "5",      "--log"};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        gauge.emplace(arguments);
    }

    // A new window, on the port a window before it may have left open.
    void startWindow() {
        port.close();
        window = std::make_unique<app::Form1>(port, files);
        window->setProgramFolder(folder.path().string());
        window->load();
    }

    // The text of the next message box not taken yet; empty when none shows in time.
    std::string nextBox() {
        if (!driver.waitForBoxes(m_boxesTaken + 1, 8000)) {
            return {};
        }
        return driver.boxes()[m_boxesTaken++].text.toStdString();
    }
    std::string transferTo(const std::string& path) {
        driver.chooseFile(QString::fromStdString(path));
        window->cmdGetMemoryPoints->click();
        return nextBox();
    }

    testsupport::TempFolder folder;
    std::filesystem::path settingsFile = folder.path() / "avrbl.txt";
    std::optional<testsupport::SimProcess> gauge;
    pointsfile::FileTable files;
    serial::QtSerialPort port{std::vector<std::string>{folder.path().string()}};
    std::unique_ptr<app::Form1> window;
    WindowDriver driver;
    std::size_t m_boxesTaken = 0;
};

TEST_F(EndToEnd, FullDeviceThenEveryOptionWithAScreenReaderHearingEachOutput) {
    // Com 1 at 115200 baud, "Include Deletes", "Include Statistics" and space delimiters.
    writeBytes(settingsFile, "0\r\n5\r\n1\r\n1\r\n1\r\n");
    startGauge({"--version-text", "QORB \xB5m"});  // the gauge's bytes are not UTF-8
    startWindow();
    EXPECT_EQ(heard(window->lblPortConfigured), QStringLiteral("Valid port"));
    EXPECT_EQ(transferTo("/dev/full"), "Unable to write file /dev/full: No space left on device");

    const std::string path = folder.file("r\xC3\xA9sultats.txt");  // a UTF-8 path
    EXPECT_EQ(transferTo(path), kComplete + path);
    EXPECT_EQ(readBytes(path),
              "N 12.5000 mm\r\nMIN 12.5125 mm\r\n1 12.0007 mm\r\n2 12.0014 mm\r\n3 12.0021 mm\r\n"
              "4 12.0028 mm\r\nD5 12.0035 mm\r\n");
    EXPECT_EQ(heard(window->lblPointsToTransfer), QStringLiteral("5"));
    EXPECT_EQ(heard(window->lblPointsCollected), QStringLiteral("5"));
    EXPECT_EQ(heard(window->lblEndResult), QStringLiteral("D5 12.0035 mm"));

    window->cmdGetVersion->click();
    EXPECT_EQ(heard(window->lblDebug), QStringLiteral("Getting version"));
    // A second later the raw answer, its CR LF shown as a line break.
    EXPECT_TRUE(WindowDriver::waitUntil(
        [&] { return heard(window->lblDebug) == QStringLiteral(u"QORB \u00B5m\n"); }, 3000));
    EXPECT_EQ(driver.boxes().size(), 2u);
}

// Both paces ask the same of the same gauge and write the same; the line pace takes each reply as
// its pieces come in and does without the tick, without which the poll pace would end in a timeout.
TEST_F(EndToEnd, GaugeFaultsAreToldAndEveryCompleteRowIsKeptAtEitherPace) {
    const std::string path = folder.file("points.txt");
    const std::string asked = "NZ\nNC\nNN\nNN\nMZ\nMC\nMN\nMN\nMN\nMN\nMN\n";
    const struct {
        const char* name;
        Arguments faults;
        bool linePace;
        std::string message, file, asked;
    } cases[] = {
        // clang-format off
        {"SilentGauge", {"--silent"}, false, kTimeout, "", "NZ\n"},
        {"StopsInTheMemory", {"--stop-after", "4"}, false, kTimeout, kStatisticsRows + kTwoRows,
         "NZ\nNC\nNN\nNN\nMZ\nMC\nMN\nMN\nMN\n"},
        {"ReplyNeverEndsInLineFeed", {"--no-lf"}, false, kTimeout, "", "NZ\n"},
        {"RepliesInSingleBytes", {"--pieces", "1", "--piece-delay", "20"}, false, kComplete + path,
         kStatisticsRows + kMemoryRows, asked},
        {"RepliesInSingleBytesAtTheLinePace", {"--pieces", "1", "--piece-delay", "20"}, true,
         kComplete + path, kStatisticsRows + kMemoryRows, asked},
        // clang-format on
    };
    writeBytes(settingsFile, "0\r\n5\r\n0\r\n1\r\n0\r\n");  // with the statistics
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startGauge(c.faults);
        startWindow();
        if (c.linePace) {
            window->LineSpeedMenu->trigger();
            window->timerCheckData->stop();
        }
        EXPECT_EQ(transferTo(path), c.message);
        EXPECT_EQ(readBytes(path), c.file);
        EXPECT_FALSE(window->tmrCheckTimeout->isActive());
        gauge->stop(SIGTERM);
        EXPECT_EQ(gauge->errors(), c.asked);
    }
}

TEST_F(EndToEnd, LineLostThenGaugeBackWithLateTextAfterATimeoutThatDoesNotShiftTheNextTransfer) {
    startGauge();
    startWindow();
    const std::string cut = folder.file("cut.txt");
    driver.chooseFile(QString::fromStdString(cut));
    window->cmdGetMemoryPoints->click();
    ASSERT_TRUE(WindowDriver::waitUntil(
        [&] { return window->lblPointsCollected->text() == QStringLiteral("2"); }, 5000));
    gauge->stop(SIGKILL);  // the adapter pulled out
    EXPECT_EQ(nextBox(), kTimeout);
    EXPECT_EQ(readBytes(cut), kTwoRows);

    // Back on the same link, the gauge leaves the first command unanswered and sends a line 4.5 s
    // later. At 150 baud the tick after the next command finds that line alone.
    startGauge({"--ignore-first", "1", "--late-text", "JUNK\r\n", "--late-after", "4500"}, "150");
    window->cmdSetNewBaudRate->click();
    EXPECT_EQ(window->lblPortConfigured->text(), QStringLiteral("Valid port"));
    const std::string first = folder.file("first.txt");
    EXPECT_EQ(transferTo(first), kTimeout);
    EXPECT_EQ(readBytes(first), "");
    WindowDriver::waitUntil([] { return false; }, 1500);  // the late line arrives and waits
    const std::string whole = folder.file("whole.txt");
    EXPECT_EQ(transferTo(whole), kComplete + whole);
    EXPECT_EQ(readBytes(whole), kMemoryRows);
}

// At the line pace, which the window remembers beside avrbl.txt.
TEST_F(EndToEnd, ExitDuringATransferReportsTheSaveKeepsTheRowsAndEnds) {
    startGauge({"--stop-after", "2"});
    startWindow();
    window->LineSpeedMenu->trigger();
    const std::string path = folder.file("points.txt");
    driver.chooseFile(QString::fromStdString(path));
    window->cmdGetMemoryPoints->click();
    ASSERT_TRUE(WindowDriver::waitUntil(
        [&] { return window->lblPointsCollected->text() == QStringLiteral("2"); }, 5000));
    // Ticks come while the save error is open; none may act once the shut-down has begun.
    driver.setMessageBoxDelay(200);
    QObject scope;  // ends both timers with the test
    QTimer::singleShot(0, &scope, [&] { window->cmdExit->click(); });
    QTimer::singleShot(10000, &scope, [] { QCoreApplication::exit(-1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(window->ended());
    ASSERT_EQ(driver.boxes().size(), 1u);
    EXPECT_EQ(nextBox(), "An error occured while saving file " + settingsFile.string());
    EXPECT_EQ(driver.boxes()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(readBytes(path), kTwoRows);
    EXPECT_EQ(readBytes(folder.file("pace.txt")), "line\r\n");
    startWindow();
    EXPECT_TRUE(window->LineSpeedMenu->isChecked());
}

TEST_F(EndToEnd, SettingsThatCannotBeReadOrWrittenLeaveTheProgramGoingOn) {
    startGauge();
    // A folder, a binary file, an empty one, one endless number of 1 MB, a baud entry and a check
    // box value the lists and boxes refuse: start-up falls back to Com 1 at 38400 without a word.
    // The pace's file, a folder, is neither read nor written, silently.
    std::filesystem::create_directory(folder.file("pace.txt"));
    const std::optional<std::string> kUnreadable[] = {
        std::nullopt, std::string("\x00\xff\x01\xfe\r\n", 6),
        "",           std::string(1 << 20, '7'),
        "4\r\n6\r\n", "4\r\n1\r\n3\r\n"};
    for (const std::optional<std::string>& bytes : kUnreadable) {
        SCOPED_TRACE(bytes ? std::to_string(bytes->size()) + " bytes" : "a folder");
        std::filesystem::remove_all(settingsFile);
        if (bytes) {
            writeBytes(settingsFile, *bytes);
        } else {
            std::filesystem::create_directory(settingsFile);
        }
        startWindow();
        EXPECT_EQ(window->Combo1->currentText() + ' ' + window->Combo2->currentText() + ' ' +
                      window->lblPortConfigured->text(),
                  QStringLiteral("Com 1 38400 Valid port"));
        EXPECT_TRUE(driver.boxes().empty());
    }
    // /proc/sys refuses even root, and holds only folders: the dialog looks into the files it
    // lists, and some files under /proc block whoever reads them.
    const std::string refused = "/proc/sys/qorb-settings.txt";
    driver.chooseFile(QString::fromStdString(refused));
    window->SaveMenu->trigger();
    EXPECT_EQ(nextBox(), "An error occured while saving file " + refused);
    const std::string copy = folder.file("copy.txt");
    driver.chooseFile(QString::fromStdString(copy));
    window->SaveMenu->trigger();
    EXPECT_EQ(readBytes(copy), "0\r\n3\r\n0\r\n0\r\n0\r\n");

    // A program folder the user can write keeps the settings even when they cannot be saved there.
    std::filesystem::remove_all(settingsFile);
    std::filesystem::create_directory(settingsFile);
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(nextBox(), "An error occured while saving file " + settingsFile.string());
    window->show();
    EXPECT_TRUE(window->close());  // the shut-down runs once
    EXPECT_EQ(driver.boxes().size(), 2u);
    EXPECT_EQ(driver.boxes().back().icon, QMessageBox::Warning);
    EXPECT_FALSE(port.isOpen());
}

}  // namespace
