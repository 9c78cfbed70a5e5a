#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "qt_end_to_end_fixture.h"

namespace {

using testsupport::readBytes;
using testsupport::writeBytes;

constexpr const char* kTimeout = "Timeout - Improper resonse from gauge";
// Every reply that completes before a timeout is given 4 s; the box follows within a tick.
constexpr int kTimeoutWaitMs = 8000;

// --- Faults of the gauge during a transfer: what the operator is told and what the file keeps

struct TransferFault {
    const char* name;
    std::vector<std::string> gaugeOptions;
    bool withStatistics;
    const char* message;  // nullptr: the transfer completes
    const char* file;
};

const TransferFault kTransferFaults[] = {
    {"SilentGauge", {"--silent"}, true, kTimeout, ""},
    {"StopsInTheStatistics", {"--stop-after", "1"}, true, kTimeout, "MIN\t1.25\r\n"},
    // Memory points 1, D2 (left out) and d3 answered, then nothing.
    {"StopsInTheMemory",
     {"--stop-after", "5"},
     true,
     kTimeout,
     "MIN\t1.25\r\nMAX\t2.50\r\n1\t12.001\tmm\r\nd3\t12.003\tmm\r\n"},
    {"ReplyNeverEndsInLineFeed", {"--no-lf"}, true, kTimeout, ""},
    {"GarbageCountReadsZero",
     {"--statistics-count", "ABC"},
     true,
     "Gauge responds with 0 points in statistics",
     ""},
    {"NegativeCount",
     {"--statistics-count", "-3"},
     true,
     "Gauge responds with invalid point count in statistics",
     ""},
    {"HugeCountKeepsTheStatistics",
     {"--memory-count", "40000"},
     true,
     "Gauge responds with invalid point count in memory",
     "MIN\t1.25\r\nMAX\t2.50\r\n"},
    // Halfway goes to the even neighbour: 2 points, the second of them deleted.
    {"FractionalCountRoundsToEven", {"--memory-count", "2.5"}, false, nullptr, "1\t12.001\tmm\r\n"},
    {"RepliesInSingleBytes",
     {"--pieces", "1", "--piece-delay", "20"},
     true,
     nullptr,
     "MIN\t1.25\r\nMAX\t2.50\r\n1\t12.001\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n"},
};

// Test names show the case, not its bytes.
void PrintTo(const TransferFault& fault, std::ostream* out) {
    *out << fault.name;
}

class GaugeFault : public testsupport::WindowOnGauge,
                   public ::testing::WithParamInterface<TransferFault> {};

TEST_P(GaugeFault, ProgramSaysWhatHappenedAndKeepsEveryCompleteRow) {
    const TransferFault& fault = GetParam();
    startGauge(fault.gaugeOptions);
    startWindow();
    driver->setChecked(window->chkIncludeStatistics, fault.withStatistics);
    const std::string path = pointsFile();
    const std::string message = fault.message != nullptr
                                    ? std::string(fault.message)
                                    : "Transfer Complete - Data saved in file " + path;
    EXPECT_EQ(transferTo(path, kTimeoutWaitMs), message);
    EXPECT_EQ(readBytes(path), fault.file);
    EXPECT_FALSE(window->ended());
    EXPECT_FALSE(window->tmrCheckTimeout->isActive());
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, GaugeFault, ::testing::ValuesIn(kTransferFaults),
                         [](const auto& info) { return std::string(info.param.name); });

class FaultSuite : public testsupport::WindowOnGauge {};

TEST_F(FaultSuite, LateTextAfterATimeoutDoesNotShiftTheNextTransfer) {
    // The first command goes unanswered; 4.5 s after it the gauge sends a line nobody asked for.
    // At 150 baud a reply's first byte comes 67 ms after its command, so the tick after the
    // command finds the late line alone and would take it for the reply.
    startGauge({"--ignore-first", "1", "--late-text", "JUNK\r\n", "--late-after", "4500"}, 150);
    startWindow();
    const std::string first = pointsFile("first.txt");
    EXPECT_EQ(transferTo(first, kTimeoutWaitMs), kTimeout);
    EXPECT_EQ(readBytes(first), "");
    // Let the late line arrive and wait at the port.
    gaugesim::WindowDriver::waitUntil([] { return false; }, 1500);

    const std::string second = pointsFile("second.txt");
    EXPECT_EQ(transferTo(second), "Transfer Complete - Data saved in file " + second);
    EXPECT_EQ(readBytes(second), "1\t12.001\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n");
}

TEST_F(FaultSuite, LineLostInTheMiddleThenGaugeBackOnTheSameLink) {
    startGauge();
    startWindow();
    const std::string cut = pointsFile("cut.txt");
    startTransfer(cut);
    ASSERT_TRUE(gaugesim::WindowDriver::waitUntil(
        [&] { return window->lblPointsCollected->text() == QStringLiteral("2"); }, 5000));
    gauge->kill();  // the adapter pulled out

    EXPECT_EQ(nextBox(kTimeoutWaitMs), kTimeout);
    EXPECT_FALSE(window->ended());
    // The rows of the two replies that were complete: 1, and D2 left out.
    EXPECT_EQ(window->lblPointsCollected->text(), QStringLiteral("2"));
    EXPECT_EQ(readBytes(cut), "1\t12.001\tmm\r\n");

    startGauge();
    driver->press(window->cmdSetNewBaudRate);
    EXPECT_EQ(window->lblPortConfigured->text(), QStringLiteral("Valid port"));
    const std::string whole = pointsFile("whole.txt");
    EXPECT_EQ(transferTo(whole), "Transfer Complete - Data saved in file " + whole);
    EXPECT_EQ(readBytes(whole), "1\t12.001\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n");
}

TEST_F(FaultSuite, PointsFileOnAFullDeviceIsReportedAndTheProgramGoesOn) {
    startGauge();
    startWindow();
    EXPECT_EQ(transferTo("/dev/full"), "Unable to write file /dev/full: No space left on device");
    EXPECT_FALSE(window->tmrCheckTimeout->isActive());

    const std::string path = pointsFile();
    EXPECT_EQ(transferTo(path), "Transfer Complete - Data saved in file " + path);
    EXPECT_EQ(readBytes(path), "1\t12.001\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n");
}

// --- Settings files that cannot be read: a silent fallback to Com 1 at 38400

TEST_F(FaultSuite, UnreadableSettingsFileFallsBackSilently) {
    const std::pair<const char*, std::function<void(const std::filesystem::path&)>> kFiles[] = {
        {"a folder", [](const auto& path) { std::filesystem::create_directory(path); }},
        {"empty", [](const auto& path) { writeBytes(path, ""); }},
        {"binary",
         [](const auto& path) { writeBytes(path, std::string("\x00\xff\x01\xfe\r\n", 6)); }},
        {"1 MB long", [](const auto& path) { writeBytes(path, std::string(1 << 20, '7')); }},
    };
    startGauge({}, 38400);
    for (const auto& [what, make] : kFiles) {
        SCOPED_TRACE(what);
        std::filesystem::remove_all(settingsFile());
        make(settingsFile());
        port.close();  // left open by the window before
        startWindow();
        expectFallbackSelections();
        EXPECT_TRUE(driver->boxes().empty());
    }
}

// --- Settings saved where the system refuses to write

struct RefusedSave {
    const char* name;
    bool refusedToRoot;
    // The path to save to, under the test's folder.
    std::function<std::string(const testsupport::TempFolder&)> place;
};

const RefusedSave kRefusedSaves[] = {
    // A folder the system refuses to write even to root, and that holds only folders: the dialog
    // looks into the files it lists, and some files under /proc block their reader.
    {"UnderProc", true, [](const auto&) { return std::string("/proc/sys/qorb-settings.txt"); }},
    {"ReadOnlyFolder", false,
     [](const testsupport::TempFolder& folder) {
         std::filesystem::create_directory(folder.path() / "read-only");
         std::filesystem::permissions(folder.path() / "read-only", std::filesystem::perms(0555));
         return folder.file("read-only/copy.txt");
     }},
};

void PrintTo(const RefusedSave& save, std::ostream* out) {
    *out << save.name;
}

class SettingsSaveRefused : public testsupport::WindowOnGauge,
                            public ::testing::WithParamInterface<RefusedSave> {};

TEST_P(SettingsSaveRefused, SaveErrorNamesThePathAndTheProgramGoesOn) {
    if (!GetParam().refusedToRoot && ::geteuid() == 0) {
        GTEST_SKIP() << "running as root: folder permissions are not enforced";
    }
    startWindow();
    const std::string path = GetParam().place(folder);
    driver->chooseFile(QString::fromStdString(path));
    window->SaveMenu->trigger();
    ASSERT_EQ(driver->boxes().size(), 1u);
    EXPECT_EQ(driver->boxes()[0].text.toStdString(), "An error occured while saving file " + path);
    EXPECT_EQ(driver->boxes()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(std::filesystem::exists(path));

    const std::string copy = pointsFile("copy.txt");
    driver->chooseFile(QString::fromStdString(copy));
    window->SaveMenu->trigger();
    EXPECT_EQ(readBytes(copy), "0\r\n3\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(driver->boxes().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, SettingsSaveRefused, ::testing::ValuesIn(kRefusedSaves),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultSuite, ShutDownInAProgramFolderThatRefusesWritesSaysSo) {
    startGauge();
    startWindow();
    window->setProgramFolder("/proc");
    window->show();
    EXPECT_TRUE(window->close());
    ASSERT_EQ(driver->boxes().size(), 1u);
    EXPECT_EQ(driver->boxes()[0].text.toStdString(),
              "An error occured while saving file /proc/avrbl.txt");
    EXPECT_EQ(driver->boxes()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(port.isOpen());
}

}  // namespace
