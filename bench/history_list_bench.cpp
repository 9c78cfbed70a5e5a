// What reading the history costs: a synthetic history of 1,000 full downloads of one
// characteristic (33 million points; every tenth continues the one before it, every fiftieth
// repeats it, the rest are memories of their own, a few sharing a first line by chance), made once
// in the folder given as the argument (kept there and used again), else in a temporary folder.
// Then, each in a process of its own so that each peak is its own: the selection's rows, the
// selection with its repeats and continuations found (each continuation confirmed by the
// fingerprint of its first 30,000 lines), the list qorb-history prints, and the trend workbook:
// wall time and peak resident memory.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/kept_folder.h"
#include "bench/process_figures.h"
#include "cli/history_list.h"
#include "history/download_facts.h"
#include "history/local_history.h"
#include "workbook/trend_workbook.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFullMemory = 32767;
constexpr int kDownloads = 1000;
constexpr int kContinued = 30000;  // the lines of a download the next one continues
constexpr const char* kCharacteristic = "bore";
constexpr double kListTarget = 1.0;   // s: the Downloads window opens within it
constexpr double kTrendTarget = 2.0;  // s

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Download d's memory line i (from 1): its own drift, every fifth point deleted.
std::string lineOf(int d, int i) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%d\t%.4f\tmm", i % 5 == 0 ? "D" : "", i,
                  12.0 + 0.0007 * double((i * 7 + d * 13) % 997));
    return text;
}

pointsfile::ReceivedLines linesOf(int d) {
    // A repeat reads the memory of the one before again; a continuation holds it and more.
    const bool repeat = d % 50 == 25;
    const bool continuation = d % 10 == 9;
    const int count = d % 10 == 8 ? kContinued : kFullMemory;
    pointsfile::ReceivedLines lines;
    for (int i = 1; i <= count; ++i) {
        const bool earlier = repeat || (continuation && i <= kContinued);
        lines.add(pointsfile::Section::Memory, lineOf(earlier ? d - 1 : d, i));
    }
    return lines;
}

void makeHistory(const std::string& path) {
    const int held =
        history::LocalHistory(path, history::LocalHistory::Access::Read).counts().downloads;
    if (held >= kDownloads) {
        std::printf("the synthetic history %s holds %d downloads already\n", path.c_str(), held);
        return;
    }
    history::LocalHistory local(path, history::LocalHistory::Access::Write);
    const auto start = std::chrono::steady_clock::now();
    for (int d = held; d < kDownloads; ++d) {
        pointsfile::DownloadRecord record;
        char text[48];
        std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012d", d + 1);
        record.uid = text;
        const int minutes = d * 10;
        std::snprintf(text, sizeof text, "2026-12-%02dT%02d:%02d:00+01:00", 1 + minutes / 1440,
                      minutes / 60 % 24, minutes % 60);
        record.pressedAt = record.endedAt = text;
        record.program = "qorb-download";
        record.port = "Com 1";
        record.file = "/home/op/bore.txt";
        record.form = "text";
        record.endMessage = "Transfer Complete - Data saved in file /home/op/bore.txt";
        record.complete = true;
        const pointsfile::ReceivedLines lines = linesOf(d);
        record.rowsReceived = record.rowsWritten = static_cast<int>(lines.size());
        history::KeptDownload kept =
            history::keptDownloadOf(record, {12.05, 12.65, 12.35, {}, kCharacteristic}, lines);
        kept.host = "station-" + std::to_string(d % 7);
        local.add(kept);
    }
    std::printf("made the synthetic history %s: %d downloads in %.0f s\n", path.c_str(),
                kDownloads - held, secondsSince(start));
}

// Runs the step in a process of its own and prints its wall time and peak resident memory.
void measure(const char* what, double target, const std::function<std::string()>& step) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const long before = bench::residentKiB();
        const auto start = std::chrono::steady_clock::now();
        const std::string said = step();
        const double seconds = secondsSince(start);
        std::printf("  %-44s %7.3f s (target under %.0f s: %s), peak resident %+7ld KiB; %s\n",
                    what, seconds, target, seconds < target ? "met" : "MISSED",
                    bench::peakResidentKiB() - before, said.c_str());
        std::fflush(stdout);
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

std::vector<history::TrendRow> selected(const std::string& path) {
    history::Selection selection;
    selection.characteristic = kCharacteristic;
    return history::trendRows(*history::openLocalReader(path), selection);
}

std::string counted(const std::vector<history::TrendRow>& rows) {
    int repeats = 0;
    int continuations = 0;
    for (const history::TrendRow& row : rows) {
        repeats += row.repeatOf.empty() ? 0 : 1;
        continuations += row.continues.empty() ? 0 : 1;
    }
    return std::to_string(rows.size()) + " downloads, " + std::to_string(repeats) + " repeats, " +
           std::to_string(continuations) + " continuations";
}

}  // namespace

int main(int argc, char** argv) {
    const bench::KeptFolder folder(argc, argv);
    const std::string path = folder.file("history.sqlite");
    makeHistory(path);
    std::printf("reading %d full downloads of one characteristic, each in a process of its own:\n",
                kDownloads);
    measure("the selection's rows alone", kListTarget, [&] {
        history::Selection selection;
        selection.characteristic = kCharacteristic;
        return std::to_string(history::openLocalReader(path)->select(selection).size()) +
               " downloads";
    });
    measure("the selection, repeats and continuations", kListTarget,
            [&] { return counted(selected(path)); });
    measure("the list, as qorb-history prints it", kListTarget, [&] {
        const std::string list = cli::alignedList(selected(path));
        return std::to_string(list.size()) + " bytes";
    });
    measure("the trend workbook", kTrendTarget, [&] {
        const std::string book = folder.file("trend.xlsx");
        const std::vector<history::TrendRow> rows = selected(path);
        const history::KeptDownload& newest = rows.back().download;
        workbook::writeTrendWorkbook(
            book, rows, {newest.lowerLimit, newest.upperLimit, newest.nominal, {}, kCharacteristic},
            kCharacteristic);
        const auto bytes = fs::file_size(book);
        fs::remove(book);
        return std::to_string(bytes) + " bytes";
    });
    return 0;
}
