#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
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
#include "history/local_history.h"
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
    void startGauge(const Arguments& faults = {}) {
        gauge.reset();
        Arguments arguments = {"--link", folder.file("com1"), "--baud", "115200", "--statistics",
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

    void press(const std::string& path) {
        driver.chooseFile(QString::fromStdString(path));
        window->cmdGetMemoryPoints->click();
    }
    // The text of the n-th message box, once it shows; empty when it does not within 8 s.
    std::string box(std::size_t n) {
        return driver.waitForBoxes(n + 1, 8000) ? driver.boxes()[n].text.toStdString() : "";
    }

    testsupport::TempFolder folder;
    std::filesystem::path settingsFile = folder.path() / "avrbl.txt";
    std::optional<testsupport::SimProcess> gauge;
    pointsfile::FileTable files;
    serial::QtSerialPort port{std::vector<std::string>{folder.path().string()}};
    std::unique_ptr<app::Form1> window;
    WindowDriver driver;
};

// The line pace takes each reply as its pieces come in and does without the tick, without which
// the poll pace would end in a timeout; it asks what the poll pace asks.
TEST_F(EndToEnd, RepliesInSingleBytesCompleteAtTheLinePaceWithoutTheTick) {
    writeBytes(settingsFile, "0\r\n5\r\n0\r\n1\r\n0\r\n");  // with the statistics
    startGauge({"--pieces", "1", "--piece-delay", "20"});
    startWindow();
    window->LineSpeedMenu->trigger();
    window->timerCheckData->stop();
    const std::string path = folder.file("points.txt");
    press(path);
    EXPECT_EQ(box(0), kComplete + path);
    EXPECT_EQ(readBytes(path), kStatisticsRows + kMemoryRows);
    gauge->stop(SIGTERM);
    EXPECT_EQ(gauge->errors(), "NZ\nNC\nNN\nNN\nMZ\nMC\nMN\nMN\nMN\nMN\nMN\n");
}

// Back on the same link, the gauge is the port's again after "Set New Baud Rate".
TEST_F(EndToEnd, LineLostEndsInATimeoutKeepingTheRowsAndTheGaugeBackAnswersAfterAnApply) {
    startGauge();
    startWindow();
    const std::string cut = folder.file("cut.txt");
    press(cut);
    ASSERT_TRUE(WindowDriver::waitUntil(
        [&] { return window->lblPointsCollected->text() == QStringLiteral("2"); }, 5000));
    gauge->stop(SIGKILL);  // the adapter pulled out
    EXPECT_EQ(box(0), kTimeout);
    EXPECT_EQ(readBytes(cut), kTwoRows);

    startGauge();
    window->cmdSetNewBaudRate->click();
    EXPECT_EQ(window->lblPortConfigured->text(), QStringLiteral("Valid port"));
    const std::string whole = folder.file("whole.txt");
    press(whole);
    EXPECT_EQ(box(1), kComplete + whole);
    EXPECT_EQ(readBytes(whole), kMemoryRows);
}

// At the line pace, which the window remembers beside avrbl.txt: the transfer ends first, so the
// points file gives its number back and the settings are saved.
TEST_F(EndToEnd, ExitDuringATransferKeepsTheRowsSavesTheSettingsAndEnds) {
    startGauge({"--stop-after", "2"});
    startWindow();
    window->LineSpeedMenu->trigger();
    const std::string path = folder.file("points.txt");
    press(path);
    ASSERT_TRUE(WindowDriver::waitUntil(
        [&] { return window->lblPointsCollected->text() == QStringLiteral("2"); }, 5000));
    QObject scope;  // ends both timers with the test
    QTimer::singleShot(0, &scope, [&] { window->cmdExit->click(); });
    QTimer::singleShot(10000, &scope, [] { QCoreApplication::exit(-1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(window->ended());
    EXPECT_TRUE(driver.boxes().empty());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(readBytes(path), kTwoRows);
    EXPECT_EQ(readBytes(settingsFile), "0\r\n3\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(readBytes(folder.file("pace.txt")), "line\r\n");
    startWindow();
    EXPECT_TRUE(window->LineSpeedMenu->isChecked());
}

// What the named line edits of the open dialog are called and hold, then OK with the texts typed
// into them (an empty map: Cancel).
QStringList answerDialog(const std::vector<std::pair<const char*, QString>>& typed) {
    QStringList seen;
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) {
        return {QStringLiteral("no dialog")};
    }
    seen << dialog->windowTitle();
    for (const QLineEdit* field : dialog->findChildren<QLineEdit*>()) {
        seen << field->accessibleName() + ' ' + field->text();
    }
    if (auto* state = dialog->findChild<QLabel*>(QStringLiteral("lblHistoryState"))) {
        const auto heard = QAccessible::queryAccessibleInterface(state);
        seen << heard->text(QAccessible::Name) + " | " + heard->text(QAccessible::Description);
    }
    for (const auto& [name, text] : typed) {
        dialog->findChild<QLineEdit*>(QLatin1String(name))->setText(text);
    }
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    buttons->button(typed.empty() ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
    if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        open->reject();  // refused: the test goes on to fail, not hang
    }
    return seen;
}

// A download with a characteristic and limits typed in the window lands in the default history,
// beside avrbl.txt in a program folder of its own; the Download History dialog says so, and a
// screen reader hears its fields by their labels and its state as it is.
TEST_F(EndToEnd, ADownloadWithItsCharacteristicLandsInTheHistoryAndTheDialogSaysSo) {
    startGauge();
    startWindow();
    QTimer::singleShot(0, window.get(), [] {
        answerDialog({{"txtCharacteristic", QStringLiteral("Bore 12H7")},
                      {"txtLowerLimit", QStringLiteral("12.001")},
                      {"txtUpperLimit", QStringLiteral("12.004")}});
    });
    window->ToleranceLimitsMenu->trigger();
    const std::string path = folder.file("points.csv");
    press(path);
    EXPECT_EQ(box(0), kComplete + path);

    const std::vector<history::KeptDownload> kept =
        history::LocalHistory(folder.file("history.sqlite"), history::LocalHistory::Access::Read)
            .list("Bore 12H7");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].form, "csv");
    EXPECT_EQ(kept[0].counted, 4);
    EXPECT_EQ(kept[0].aboveUsl, 0);
    EXPECT_EQ(kept[0].belowLsl, 1);
    QStringList seen;
    QTimer::singleShot(0, window.get(), [&seen] { seen = answerDialog({}); });
    window->DownloadHistoryMenu->trigger();
    EXPECT_EQ(seen.join('\n').toStdString(),
              "Download History\nHistory file: \nPlant database: \n"
              "1 download in the history | State of the history");
}

}  // namespace
