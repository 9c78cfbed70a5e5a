// The Downloads window over history_list_bench's synthetic history of 1,000 full downloads of one
// characteristic (33 million points, with repeats and continuations), made by it in the folder
// given as the argument (kept there, and used again by later runs), else in a temporary folder:
// the time from "Show Downloads..." to the window's table drawn, and from the characteristic
// chosen in it to its table drawn, against the 1 s target, with the resident memory it takes.
#include <QApplication>
#include <QComboBox>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/qt_downloads_window.h"
#include "bench/kept_folder.h"
#include "bench/process_figures.h"
#include "driver/history_dialog_actions.h"
#include "history/history_reader.h"
#include "history/local_history.h"
#include "tools/qt_window_driver.h"

namespace {

constexpr int kDownloads = 1000;
constexpr int kRounds = 7;
constexpr double kTarget = 1.0;  // s

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void readAndDraw(app::DownloadsWindow& window) {
    gaugesim::WindowDriver::waitUntil([&window] { return !window.busy(); }, 60000);
    window.repaint();
}

struct Round {
    double opened = 0;
    double chosen = 0;
    int rows = 0;
    long peakKiB = 0;
};

// What the button does: the core's browser over the history, the window made, shown, read and
// drawn; then the characteristic chosen in it, read and drawn again.
Round round(driver::HistoryDialogActions& actions, const std::string& path,
            const QString& characteristic) {
    const long before = bench::residentKiB();
    bench::resetPeakResident();
    Round round;
    auto start = std::chrono::steady_clock::now();
    const std::unique_ptr<view::DownloadsBrowser> browser =
        actions.browseDownloads({true, path, ""});
    app::DownloadsWindow window(*browser, nullptr);
    window.show();
    readAndDraw(window);
    round.opened = secondsSince(start);
    round.rows = window.findChild<QTableView*>(QStringLiteral("tblDownloads"))->model()->rowCount();
    start = std::chrono::steady_clock::now();
    auto* list = window.findChild<QComboBox*>(QStringLiteral("cboCharacteristic"));
    list->setCurrentIndex(list->findText(characteristic));
    readAndDraw(window);
    round.chosen = secondsSince(start);
    round.peakKiB = bench::peakResidentKiB() - before;
    return round;
}

void measure(driver::HistoryDialogActions& actions, const std::string& path,
             const QString& characteristic) {
    std::vector<double> opened;
    std::vector<double> chosen;
    std::vector<double> rowsAlone;
    Round last;
    long firstPeakKiB = 0;
    for (int count = 0; count < kRounds; ++count) {
        last = round(actions, path, characteristic);
        firstPeakKiB = count == 0 ? last.peakKiB : firstPeakKiB;
        const auto start = std::chrono::steady_clock::now();
        history::trendRows(*history::openLocalReader(path), {});
        rowsAlone.push_back(secondsSince(start));
        opened.push_back(last.opened);
        chosen.push_back(last.chosen);
    }
    const auto line = [](const char* what, const std::vector<double>& times) {
        std::printf("  %-40s first %6.3f s, median of %d %6.3f s (target under %.0f s: %s)\n", what,
                    times.front(), kRounds, median(times), kTarget,
                    median(times) < kTarget ? "met" : "MISSED");
    };
    std::printf("the Downloads window over %d full downloads (%d rows):\n", kDownloads, last.rows);
    line("opened, read and drawn (All)", opened);
    line("of which the core's reading, trendRows", rowsAlone);
    line(("\"" + characteristic.toStdString() + "\" chosen, read and drawn").c_str(), chosen);
    // The first round's: later rounds reuse what the earlier ones freed.
    std::printf("  peak resident memory over the start, first round %+ld KiB\n", firstPeakKiB);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    const bench::KeptFolder folder(argc, argv);
    const std::string path = folder.file("history.sqlite");
    if (history::LocalHistory(path, history::LocalHistory::Access::Read).counts().downloads <
        kDownloads) {
        std::printf("history_list_bench makes the synthetic history in %s\n", path.c_str());
        std::fflush(stdout);
        const std::string command =
            std::string(QORB_HISTORY_LIST_BENCH_PATH) + " '" + folder.file("") + "'";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "downloads_window_bench: %s failed\n", command.c_str());
            return 1;
        }
    }
    driver::HistoryDialogActions actions(folder.file(""), nullptr, {});
    measure(actions, path, QStringLiteral("bore"));
    return 0;
}
