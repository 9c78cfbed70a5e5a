// What the trend workbook costs: a selection of N full downloads (synthetic history rows of
// 32,767 points each, every 50th a repeat, every 40th continuing the one before), its workbook
// written in a process of its own for N = 10, 100 and 1,000 (or the N given): wall time and peak
// resident memory, and how the peak grows with the selection.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/process_figures.h"
#include "history/history_reader.h"
#include "support/temp_folder.h"
#include "workbook/trend_workbook.h"

namespace {

constexpr int kFullMemory = 32767;
constexpr double kTargetSeconds = 2.0;  // for 1,000 downloads

// A history of downloads that drift a little, by a fixed sequence so every run writes the same.
std::vector<history::TrendRow> syntheticRows(int downloads) {
    std::vector<history::TrendRow> rows(static_cast<std::size_t>(downloads));
    unsigned state = 12345;
    const auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return double((state >> 8) % 1000) / 1000;
    };
    for (int i = 0; i < downloads; ++i) {
        history::TrendRow& row = rows[static_cast<std::size_t>(i)];
        history::KeptDownload& d = row.download;
        char uid[40];
        std::snprintf(uid, sizeof uid, "00000000-0000-4000-8000-%012d", i + 1);
        d.uid = uid;
        d.pressedAt = "2026-12-07T14:15:03+01:00";
        d.characteristic = "Bore";
        d.host = "station-" + std::to_string(i % 7);
        d.port = "Com 1";
        d.endedWith = "Transfer Complete - Data saved in file /home/operator/bore.xlsx";
        d.counted = kFullMemory;
        d.mean = 12.013 + 0.002 * next();
        d.standardDeviation = 0.006 + 0.002 * next();
        d.averageMovingRange = 0.007 + 0.002 * next();
        d.minimum = 11.99 + 0.001 * next();
        d.maximum = 12.04 + 0.001 * next();
        d.cpk = d.ppk = 1.2 + next();
        d.belowLsl = static_cast<int>(20 * next());
        d.aboveUsl = static_cast<int>(20 * next());
        if (i > 0 && i % 50 == 0) {
            row.repeatOf = rows[static_cast<std::size_t>(i - 1)].download.uid;
        } else if (i > 0 && i % 40 == 0) {
            row.continues = rows[static_cast<std::size_t>(i - 1)].download.uid;
        }
    }
    return rows;
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// In this process: builds the rows, writes their workbook, prints what it cost.
int writeOne(int downloads) {
    const std::vector<history::TrendRow> rows = syntheticRows(downloads);
    const long before = peakResidentKiB();
    testsupport::TempFolder folder;
    const std::string path = folder.file("trend.xlsx");
    const auto start = std::chrono::steady_clock::now();
    workbook::writeTrendWorkbook(path, rows, {12.0, 12.03, 12.015, {}, {}}, "Bore");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "  %5d downloads: %7.3f s wall, CPU %6.3f s, peak resident %6ld KiB (%+5ld KiB while "
        "writing), file %8ju bytes\n",
        downloads, seconds, bench::cpuSeconds(), peakResidentKiB(), peakResidentKiB() - before,
        std::filesystem::file_size(path));
    return downloads >= 1000 && seconds >= kTargetSeconds ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = {10, 100, 1000};
    if (argc > 1) {
        sizes = {std::atoi(argv[1])};
    }
    std::printf(
        "the trend workbook of full downloads (%d points each), target under %.0f s "
        "for 1,000:\n",
        kFullMemory, kTargetSeconds);
    std::fflush(stdout);
    int failed = 0;
    for (const int downloads : sizes) {
        // A process of its own, so that each peak is that selection's alone.
        const pid_t child = fork();
        if (child == 0) {
            const int status = writeOne(downloads);
            std::fflush(stdout);
            std::_Exit(status);
        }
        int status = 0;
        waitpid(child, &status, 0);
        failed += WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
}
