// A real transfer in real time: the window, the Qt serial port and the simulated gauge on a
// pseudo-terminal. Prints the wall time from the press to the completion message against the
// floor the 50 ms poll allows (at the poll pace) or the line's own time (at the line pace), the
// program's CPU time during it, its resident memory and, at the line pace, the longest wait of the
// event loop, within which Exit and the close command act.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "app/form1.h"
#include "bench/process_figures.h"
#include "pointsfile/file_table.h"
#include "serial/qt_serial_port.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "tools/qt_window_driver.h"

namespace {

constexpr int kPollMs = 50;
constexpr int kFullMemory = 32767;
// A timer this often sees how long the event loop kept it waiting; rare enough to cost little.
constexpr int kWatchMs = 10;

enum class Pace { Poll, Line };

// The longest time between two turns of the event loop while `during` holds.
class LoopWatch {
public:
    explicit LoopWatch(std::function<bool()> during) : m_during(std::move(during)) {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (!m_during()) {
                m_timer.stop();
                return;
            }
            m_longestMs = std::max(m_longestMs, m_since.restart() - kWatchMs);
        });
        m_since.start();
        m_timer.start(kWatchMs);
    }
    qint64 longestMs() const { return m_longestMs; }

private:
    std::function<bool()> m_during;
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longestMs = 0;
};

// Index of a baud rate in the window's list.
int baudIndex(int baud) {
    const int rates[] = {4800, 9600, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 6; ++i) {
        if (rates[i] == baud) {
            return i;
        }
    }
    return -1;
}

// One transfer of `points` memory points; prints its figures unless it is the warm-up.
std::optional<double> transferAt(int baud, int points, Pace pace, bool report) {
    testsupport::TempFolder folder;
    testsupport::SimProcess sim({"--link", folder.file("com1"), "--baud", std::to_string(baud),
                                 "--memory", std::to_string(points)});
    {
        std::ofstream settings(folder.path() / "avrbl.txt", std::ios::binary);
        settings << "0\r\n" << baudIndex(baud) << "\r\n1\r\n0\r\n0\r\n";
    }
    pointsfile::FileTable files;
    serial::QtSerialPort port({folder.path().string()});
    app::Form1 window(port, files);
    window.setProgramFolder(folder.path().string());
    gaugesim::WindowDriver driver;
    window.load();
    window.show();
    if (pace == Pace::Line) {
        window.LineSpeedMenu->trigger();
    }
    gaugesim::WindowDriver::waitUntil([] { return false; }, 500);  // settle

    const long residentBefore = bench::residentKiB();
    const double cpuBefore = bench::cpuSeconds();
    driver.chooseFile(QString::fromStdString(folder.file("points.txt")));
    const auto pressed = std::chrono::steady_clock::now();
    window.cmdGetMemoryPoints->click();
    // From the first command to the last point: the save dialog before it and the completion
    // message after it take as long at either pace.
    std::optional<LoopWatch> watch;
    if (pace == Pace::Line) {
        watch.emplace([&] { return window.lblPointsCollected->text() != QString::number(points); });
    }
    const bool done = driver.waitForBoxes(1, 180000);
    const auto completed = std::chrono::steady_clock::now();
    const double cpu = bench::cpuSeconds() - cpuBefore;
    const long residentAfter = bench::residentKiB();

    const double wall = std::chrono::duration<double>(completed - pressed).count();
    const double floor = (2.0 * points + 4) * kPollMs / 1000.0;
    // Bytes on the line: each command 3 bytes out, each reply back; 10 bits a byte.
    std::ifstream written(folder.path() / "points.txt", std::ios::binary | std::ios::ate);
    const double rowBytes = written ? double(written.tellg()) : 0.0;
    const double lineBytes = 3.0 * (points + 2) + rowBytes + 2 * 8.0;
    const double lineSeconds = lineBytes * 10.0 / baud;

    if (!report) {
        return done ? std::optional<double>(wall) : std::nullopt;
    }
    std::printf("%d memory points at %d baud, statistics off, %s pace:\n", points, baud,
                pace == Pace::Line ? "line" : "poll");
    if (!done || driver.boxes().empty() ||
        !driver.boxes().back().text.startsWith(QStringLiteral("Transfer Complete"))) {
        std::printf("  the transfer did not complete: %s\n",
                    driver.boxes().empty() ? "no message"
                                           : driver.boxes().back().text.toLocal8Bit().constData());
        return std::nullopt;
    }
    std::printf("  wall time press to completion message  %.3f s\n", wall);
    if (pace == Pace::Poll) {
        std::printf(
            "  floor (2n + 4) x 50 ms                  %.3f s  (%+.2f %%, target within 2 %%)\n",
            floor, 100.0 * (wall - floor) / floor);
    }
    std::printf(
        "  bytes on the line                       %.0f, %.3f s of line time at this rate\n",
        lineBytes, lineSeconds);
    if (pace == Pace::Line) {
        std::printf("  against the line time                   %.2f x (target within 1.5 x)\n",
                    wall / lineSeconds);
        std::printf(
            "  longest wait of the event loop          %lld ms from the first command to the last "
            "point (target under 100 ms)\n",
            static_cast<long long>(watch->longestMs()));
    }
    std::printf("  CPU time during the transfer            %.3f s = %.2f %% of one core%s\n", cpu,
                100.0 * cpu / wall, pace == Pace::Poll ? " (target under 2 %)" : "");
    std::printf(
        "  resident memory                         %ld KiB before, %ld KiB after "
        "(growth %+ld KiB, target under 1024)\n\n",
        residentBefore, residentAfter, residentAfter - residentBefore);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    if (!testsupport::simulatorAvailable()) {
        std::printf("no gauge simulator or no pseudo-terminal here\n");
        return 1;
    }
    // The first dialog and message box load fonts, styles and icons once per run; a short
    // transfer first keeps that out of the figures.
    transferAt(115200, 3, Pace::Poll, false);
    const std::optional<double> fast = transferAt(115200, 200, Pace::Poll, true);
    const std::optional<double> slow = transferAt(9600, 200, Pace::Poll, true);
    if (!fast || !slow) {
        return 1;
    }
    // Each reply is on the line well within the 50 ms after its command, so the slower line
    // adds almost nothing to the wall time.
    std::printf(
        "the line's own share at 9600 baud: %+.3f s of wall time over the same transfer "
        "at 115200\n\n",
        *slow - *fast);
    const std::optional<double> line = transferAt(115200, 2000, Pace::Line, true);
    const std::optional<double> full = transferAt(115200, kFullMemory, Pace::Line, true);
    if (!line || !full) {
        return 1;
    }
    std::printf(
        "the same %d points at the poll pace, not run: its floor (2n + 4) x 50 ms = %.1f min\n",
        kFullMemory, (2.0 * kFullMemory + 4) * kPollMs / 60000.0);
    return 0;
}
