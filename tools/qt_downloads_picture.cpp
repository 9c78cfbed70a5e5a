// qorb-downloads-picture FOLDER PICTURE TREND_WORKBOOK: makes a small history in FOLDER (two
// characteristics on two lines over a fortnight, with a repeat, a continuation and a timeout),
// opens the Downloads window over it and saves a picture of it, then writes the trend workbook of
// its bore through the window's core, as "Trend Workbook..." does. For the documentation.
#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <QTableView>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/qt_downloads_window.h"
#include "driver/downloads_browser.h"
#include "history/download_facts.h"
#include "history/local_history.h"
#include "history/uuid.h"
#include "tools/qt_window_driver.h"

namespace {

struct Press {
    const char* characteristic;
    const char* day;
    const char* time;
    double mean;
    int added = 30;
    // Memory lines of the press before it that this one holds first: a continuation, or a repeat
    // when it adds none.
    bool continues = false;
    bool timedOut = false;
};

// The bore drifts up its tolerance over the fortnight; the shaft holds still.
const Press kPresses[] = {
    {"Bore 12H7", "01", "07:42", 12.0082},
    {"Shaft 8g6", "01", "09:15", 7.9794},
    {"Bore 12H7", "02", "07:39", 12.0086},
    {"Bore 12H7", "03", "07:45", 12.0091},
    {"Bore 12H7", "03", "07:51", 12.0091, 0, true},
    {"Shaft 8g6", "04", "09:02", 7.9797, 18, false, true},
    {"Bore 12H7", "07", "07:40", 12.0098},
    {"Bore 12H7", "08", "07:44", 12.0104},
    {"Bore 12H7", "08", "13:20", 12.0109, 12, true},
    {"Shaft 8g6", "09", "09:11", 7.9791},
    {"Bore 12H7", "10", "07:41", 12.0113},
};

std::vector<std::string> memoryOf(const Press& press, std::vector<std::string> lines,
                                  std::mt19937& random) {
    std::normal_distribution<double> spread(press.mean, press.mean > 10 ? 0.0016 : 0.0021);
    for (int point = 0; point < press.added; ++point) {
        char line[48];
        std::snprintf(line, sizeof line, "%d\t%.4f\tmm", int(lines.size()) + 1, spread(random));
        lines.emplace_back(line);
    }
    return lines;
}

void makeHistory(const std::string& path) {
    std::filesystem::remove(path);
    history::LocalHistory kept(path, history::LocalHistory::Access::Write);
    std::mt19937 random(7);
    std::vector<std::string> lastBore;
    for (const Press& press : kPresses) {
        const bool bore = std::string(press.characteristic).starts_with("Bore");
        const std::vector<std::string> memory =
            memoryOf(press, press.continues ? lastBore : std::vector<std::string>{}, random);
        if (bore) {
            lastBore = memory;
        }
        pointsfile::DownloadRecord record;
        record.uid = history::randomUuid();
        record.program = "QORB Memory to File";
        record.pressedAt = std::string("2026-12-") + press.day + "T" + press.time + ":00+01:00";
        record.port = bore ? "Com 1" : "Com 2";
        record.file = std::string(bore ? "C:\\QC\\bore-" : "C:\\QC\\shaft-") + press.day +
                      (bore ? ".xlsx" : ".csv");
        record.form = bore ? "xlsx" : "csv";
        record.memoryAnnounced = int(memory.size()) + (press.timedOut ? 12 : 0);
        record.rowsReceived = record.rowsWritten = int(memory.size());
        record.complete = !press.timedOut;
        record.endMessage = press.timedOut
                                ? "Timeout - Improper resonse from gauge"
                                : "Transfer Complete - Data saved in file " + record.file;
        pointsfile::ReceivedLines lines;
        for (const std::string& line : memory) {
            lines.add(pointsfile::Section::Memory, line);
        }
        const pointsfile::SummaryChoices limits =
            bore ? pointsfile::SummaryChoices{12.0, 12.018, 12.009, 2, press.characteristic}
                 : pointsfile::SummaryChoices{7.972, 7.987, 7.9795, 2, press.characteristic};
        history::KeptDownload download = history::keptDownloadOf(record, limits, lines);
        download.host = bore ? "line-1" : "line-2";
        kept.add(download);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fputs("Usage: qorb-downloads-picture FOLDER PICTURE TREND_WORKBOOK\n", stderr);
        return 64;
    }
    const std::string folder = argv[1];
    const std::string history = folder + "/history.sqlite";
    makeHistory(history);

    driver::DownloadsBrowser browser({true, history, ""}, folder, {});
    app::DownloadsWindow window(browser, nullptr);
    window.show();
    gaugesim::WindowDriver::waitUntil([&window] { return !window.busy(); }, 10000);
    // Large enough for every cell, so that the picture shows them all.
    auto* table = window.findChild<QTableView*>(QStringLiteral("tblDownloads"));
    int width = 0;
    for (int column = 0; column < table->model()->columnCount(); ++column) {
        width += table->columnWidth(column);
    }
    int height = 0;
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        height += table->rowHeight(row);
    }
    window.resize(window.width() + width - table->viewport()->width(),
                  window.height() + height - table->viewport()->height());
    table->selectRow(2);
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "qorb-downloads-picture: cannot save the picture to %s\n", argv[2]);
        return 73;
    }
    const auto bore = std::size_t(
        window.findChild<QComboBox*>(QStringLiteral("cboCharacteristic"))->findText("Bore 12H7"));
    const std::string said = browser.writeTrendWorkbook(bore, argv[3]);
    std::printf("%s\n", said.c_str());
    return std::filesystem::exists(argv[3]) ? 0 : 73;
}
