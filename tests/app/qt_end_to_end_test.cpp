#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
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

constexpr const char* kTimeout = "Timeout - Improper resonse from gauge";
constexpr const char* kComplete = "Transfer Complete - Data saved in file ";
// The sample gauge's memory as written with its tabs: D2 is a deleted point, left out; d3 is not.
constexpr const char* kMemoryRows = "1\t12.001\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n";

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
        writeBytes(folder.path() / "statistics.txt", "MIN\t1.25\r\nMAX\t2.50\r\n");
        writeBytes(folder.path() / "memory.txt",
                   "1\t12.001\tmm\r\nD2\t12.002\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n");
    }

    // (Re)starts the gauge as Com 1 with the sample points; options are separated by blanks.
    void startGauge(const std::string& options = "", int baud = 115200) {
        gauge.reset();
        std::vector<std::string> arguments = {"--link", folder.file("com1"), "--baud",
                                              std::to_string(baud)};
        for (const std::string section : {"statistics", "memory"}) {
            arguments.push_back("--" + section + "-file");
            arguments.push_back(folder.file(section + ".txt"));
        }
        std::istringstream words(options);
        for (std::string word; std::getline(words, word, ' ');) {
            arguments.push_back(word);
        }
        gauge.emplace(arguments);
    }

    void startWindow() {
        window = std::make_unique<app::Form1>(port, files);
        window->setProgramFolder(folder.path().string());
        driver = std::make_unique<WindowDriver>(*window);
        window->load();
    }

    void startTransfer(const std::string& path) {
        driver->chooseFile(QString::fromStdString(path));
        driver->press(window->cmdGetMemoryPoints);
    }
    // The text of the next message box not taken yet; empty when none shows in time.
    std::string nextBox(int timeoutMs = 8000) {
        if (!driver->waitForBoxes(m_boxesTaken + 1, timeoutMs)) {
            return {};
        }
        return driver->boxes()[m_boxesTaken++].text.toStdString();
    }
    std::string transferTo(const std::string& path) {
        startTransfer(path);
        return nextBox();
    }

    testsupport::TempFolder folder;
    std::filesystem::path settingsFile = folder.path() / "avrbl.txt";
    std::optional<testsupport::SimProcess> gauge;
    pointsfile::FileTable files;
    serial::QtSerialPort port{folder.path().string()};
    std::unique_ptr<app::Form1> window;
    std::unique_ptr<WindowDriver> driver;
    std::size_t m_boxesTaken = 0;
};

TEST_F(EndToEnd, TransferWithEveryOptionAndAScreenReaderHearingEachOutput) {
    // Com 1 at 115200 baud, "Include Deletes", "Include Statistics" and space delimiters.
    writeBytes(settingsFile, "0\r\n5\r\n1\r\n1\r\n1\r\n");
    startGauge("--version-text QORB-SIM-7");
    startWindow();
    EXPECT_EQ(heard(window->lblPortConfigured), QStringLiteral("Valid port"));

    const std::string path = folder.file("points.txt");
    EXPECT_EQ(transferTo(path), kComplete + path);
    EXPECT_EQ(
        readBytes(path),
        "MIN 1.25\r\nMAX 2.50\r\n1 12.001 mm\r\nD2 12.002 mm\r\nd3 12.003 mm\r\n4 12.004 mm\r\n");
    EXPECT_EQ(window->ProgressBar1->value(), 4);
    EXPECT_EQ(heard(window->lblPointsToTransfer), QStringLiteral("4"));
    EXPECT_EQ(heard(window->lblPointsCollected), QStringLiteral("4"));
    EXPECT_EQ(heard(window->lblEndResult), QStringLiteral("4 12.004 mm"));

    driver->press(window->cmdGetVersion);
    EXPECT_EQ(heard(window->lblDebug), QStringLiteral("Getting version"));
    // A second later the raw answer, its CR LF shown as a line break.
    EXPECT_TRUE(WindowDriver::waitUntil(
        [&] { return heard(window->lblDebug) == QStringLiteral("QORB-SIM-7\n"); }, 3000));
    EXPECT_EQ(driver->boxes().size(), 1u);
}

// --- The fault suite: what the operator is told and what the files keep (docs/reliability.md)

struct TransferFault {
    const char* name;
    const char* gaugeOptions;
    bool withStatistics;
    const char* message;  // nullptr: the transfer completes
    std::string file;
};

const TransferFault kTransferFaults[] = {
    {"SilentGauge", "--silent", true, kTimeout, ""},
    {"StopsInTheStatistics", "--stop-after 1", true, kTimeout, "MIN\t1.25\r\n"},
    // Memory points 1, D2 (left out) and d3 answered, then nothing.
    {"StopsInTheMemory", "--stop-after 5", true, kTimeout,
     "MIN\t1.25\r\nMAX\t2.50\r\n1\t12.001\tmm\r\nd3\t12.003\tmm\r\n"},
    {"ReplyNeverEndsInLineFeed", "--no-lf", true, kTimeout, ""},
    {"GarbageCountReadsZero", "--statistics-count ABC", true,
     "Gauge responds with 0 points in statistics", ""},
    {"NegativeCount", "--statistics-count -3", true,
     "Gauge responds with invalid point count in statistics", ""},
    {"HugeCountKeepsTheStatistics", "--memory-count 40000", true,
     "Gauge responds with invalid point count in memory", "MIN\t1.25\r\nMAX\t2.50\r\n"},
    // Halfway goes to the even neighbour: 2 points, the second of them deleted.
    {"FractionalCountRoundsToEven", "--memory-count 2.5", false, nullptr, "1\t12.001\tmm\r\n"},
    {"RepliesInSingleBytes", "--pieces 1 --piece-delay 20", true, nullptr,
     std::string("MIN\t1.25\r\nMAX\t2.50\r\n") + kMemoryRows},
};

void PrintTo(const TransferFault& fault, std::ostream* out) {
    *out << fault.name;
}

class GaugeFault : public EndToEnd, public ::testing::WithParamInterface<TransferFault> {};

TEST_P(GaugeFault, ProgramSaysWhatHappenedAndKeepsEveryCompleteRow) {
    const TransferFault& fault = GetParam();
    startGauge(fault.gaugeOptions);
    startWindow();
    window->chkIncludeStatistics->setChecked(fault.withStatistics);
    const std::string path = folder.file("points.txt");
    EXPECT_EQ(transferTo(path), fault.message != nullptr ? fault.message : kComplete + path);
    EXPECT_EQ(readBytes(path), fault.file);
    EXPECT_FALSE(window->tmrCheckTimeout->isActive());
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, GaugeFault, ::testing::ValuesIn(kTransferFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EndToEnd, LateTextAfterATimeoutDoesNotShiftTheNextTransfer) {
    // The first command goes unanswered; 4.5 s after it the gauge sends a line nobody asked for.
    // At 150 baud a reply's first byte comes 67 ms after its command, so the tick after the
    // command finds the late line alone and would take it for the reply.
    startGauge("--ignore-first 1 --late-text JUNK\r\n --late-after 4500", 150);
    startWindow();
    const std::string first = folder.file("first.txt");
    EXPECT_EQ(transferTo(first), kTimeout);
    EXPECT_EQ(readBytes(first), "");
    WindowDriver::waitUntil([] { return false; }, 1500);  // the late line arrives and waits

    const std::string second = folder.file("second.txt");
    EXPECT_EQ(transferTo(second), kComplete + second);
    EXPECT_EQ(readBytes(second), kMemoryRows);
}

TEST_F(EndToEnd, LineLostInTheMiddleThenGaugeBackOnTheSameLink) {
    startGauge();
    startWindow();
    const std::string cut = folder.file("cut.txt");
    startTransfer(cut);
    ASSERT_TRUE(WindowDriver::waitUntil(
        [&] { return window->lblPointsCollected->text() == QStringLiteral("2"); }, 5000));
    gauge->kill();  // the adapter pulled out
    EXPECT_EQ(nextBox(), kTimeout);
    EXPECT_EQ(readBytes(cut), "1\t12.001\tmm\r\n");  // D2, the other complete reply, left out

    startGauge();
    driver->press(window->cmdSetNewBaudRate);
    EXPECT_EQ(window->lblPortConfigured->text(), QStringLiteral("Valid port"));
    const std::string whole = folder.file("whole.txt");
    EXPECT_EQ(transferTo(whole), kComplete + whole);
    EXPECT_EQ(readBytes(whole), kMemoryRows);
}

TEST_F(EndToEnd, ExitDuringATransferReportsTheSaveKeepsTheRowsAndEnds) {
    startGauge("--stop-after 2");
    startWindow();
    const std::string path = folder.file("points.txt");
    startTransfer(path);
    ASSERT_TRUE(WindowDriver::waitUntil(
        [&] { return window->lblPointsCollected->text() == QStringLiteral("2"); }, 5000));
    // Ticks come while the save error is open; none may act once the shut-down has begun.
    driver->setMessageBoxDelay(200);
    QObject scope;  // ends both timers with the test
    QTimer::singleShot(0, &scope, [&] { driver->press(window->cmdExit); });
    QTimer::singleShot(10000, &scope, [] { QCoreApplication::exit(-1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(window->ended());
    ASSERT_EQ(driver->boxes().size(), 1u);
    EXPECT_EQ(nextBox(), "An error occured while saving file " + settingsFile.string());
    EXPECT_EQ(driver->boxes()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(std::filesystem::exists(settingsFile));
    EXPECT_EQ(readBytes(path), "1\t12.001\tmm\r\n");
}

TEST_F(EndToEnd, PointsFileOnAFullDeviceIsReportedAndTheProgramGoesOn) {
    startGauge();
    startWindow();
    EXPECT_EQ(transferTo("/dev/full"), "Unable to write file /dev/full: No space left on device");
    EXPECT_FALSE(window->tmrCheckTimeout->isActive());
    const std::string path = folder.file("points.txt");
    EXPECT_EQ(transferTo(path), kComplete + path);
    EXPECT_EQ(readBytes(path), kMemoryRows);
}

TEST_F(EndToEnd, UnreadableSettingsFileFallsBackSilentlyToCom1At38400) {
    startGauge("", 38400);
    // A folder, a binary file, an empty one, one endless number of 1 MB.
    const std::optional<std::string> kUnreadable[] = {
        std::nullopt, std::string("\x00\xff\x01\xfe\r\n", 6), "", std::string(1 << 20, '7')};
    for (const std::optional<std::string>& bytes : kUnreadable) {
        SCOPED_TRACE(bytes ? std::to_string(bytes->size()) + " bytes" : "a folder");
        std::filesystem::remove_all(settingsFile);
        if (bytes) {
            writeBytes(settingsFile, *bytes);
        } else {
            std::filesystem::create_directory(settingsFile);
        }
        port.close();  // left open by the window before
        startWindow();
        EXPECT_EQ(window->Combo1->currentText() + ' ' + window->Combo2->currentText() + ' ' +
                      window->lblPortConfigured->text(),
                  QStringLiteral("Com 1 38400 Valid port"));
        EXPECT_FALSE(window->chkIncludeStatistics->isChecked());
        EXPECT_TRUE(driver->boxes().empty());
    }
}

TEST_F(EndToEnd, SettingsThatCannotBeWrittenNameTheirPathAndTheProgramGoesOn) {
    startGauge();
    startWindow();
    // /proc/sys refuses even root, and holds only folders: the dialog looks into the files it
    // lists, and some files under /proc block whoever reads them.
    const std::string refused = "/proc/sys/qorb-settings.txt";
    driver->chooseFile(QString::fromStdString(refused));
    window->SaveMenu->trigger();
    EXPECT_EQ(nextBox(), "An error occured while saving file " + refused);
    const std::string copy = folder.file("copy.txt");
    driver->chooseFile(QString::fromStdString(copy));
    window->SaveMenu->trigger();
    EXPECT_EQ(readBytes(copy), "0\r\n3\r\n0\r\n0\r\n0\r\n");

    window->setProgramFolder("/proc");
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(nextBox(), "An error occured while saving file /proc/avrbl.txt");
    EXPECT_EQ(driver->boxes().size(), 2u);
    for (const WindowDriver::Box& box : driver->boxes()) {
        EXPECT_EQ(box.icon, QMessageBox::Warning);
    }
    EXPECT_FALSE(port.isOpen());
}

}  // namespace
