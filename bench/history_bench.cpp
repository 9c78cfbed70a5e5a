// What the history costs: the end-of-transfer write of a full download (32,767 memory points:
// its facts, then one transaction into the file) with its peak memory, and a synthetic history of
// 1,000 full downloads (33 million points): its size on disk and the time to list one
// characteristic's downloads with their figures. The history is made once in the folder given as
// the argument (kept there, and used again by later runs), else in a temporary folder.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/kept_folder.h"
#include "bench/process_figures.h"
#include "history/download_facts.h"
#include "history/local_history.h"
#include "history/uuid.h"
#include "support/temp_folder.h"
#include "tools/gauge_model.h"

namespace {

namespace fs = std::filesystem;
using history::LocalHistory;

constexpr int kFullMemory = 32767;
constexpr int kDownloads = 1000;
constexpr int kCharacteristics = 10;
constexpr int kWriteRounds = 6;
constexpr int kListRounds = 21;
constexpr double kWriteTarget = 0.3;   // s
constexpr double kListTarget = 0.050;  // s

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string characteristicOf(int download) {
    return "bore " + std::to_string(download % kCharacteristics);
}

// One press every ten minutes from the first of December on.
std::string pressedAtOf(int download) {
    const int minutes = download * 10;
    char text[48];
    std::snprintf(text, sizeof text, "2026-12-%02dT%02d:%02d:00+01:00", 1 + minutes / 1440,
                  minutes / 60 % 24, minutes % 60);
    return text;
}

struct FullDownload {
    pointsfile::DownloadRecord record;
    pointsfile::SummaryChoices summary{12.1, 12.6, 12.35, {}, "bore 0"};
    pointsfile::ReceivedLines lines;

    FullDownload() {
        record.program = "qorb-download";
        record.version = QORB_VERSION;
        record.pressedAt = pressedAtOf(0);
        record.endedAt = pressedAtOf(1);
        record.port = "Com 1";
        record.device = "/dev/pts/3";
        record.baudRate = "115200";
        record.memoryAnnounced = kFullMemory;
        record.rowsReceived = kFullMemory;
        record.rowsWritten = kFullMemory;
        record.file = "/home/op/points.xlsx";
        record.form = "xlsx";
        record.endMessage = "Transfer Complete - Data saved in file /home/op/points.xlsx";
        record.complete = true;
        for (const std::string& point : gaugesim::generatedMemoryPoints(kFullMemory)) {
            lines.add(pointsfile::Section::Memory, point);
        }
    }
};

void benchEndOfTransfer(const FullDownload& full) {
    // The first round makes the history; the others add to it, as most downloads do.
    const testsupport::TempFolder folder;
    std::vector<double> facts;
    std::vector<double> writes;
    std::vector<double> cpu;
    long peak = 0;
    for (int round = 0; round < kWriteRounds; ++round) {
        pointsfile::DownloadRecord record = full.record;
        record.uid = history::randomUuid();
        const long before = bench::residentKiB();
        bench::resetPeakResident();
        auto start = std::chrono::steady_clock::now();
        const history::KeptDownload kept =
            history::keptDownloadOf(record, full.summary, full.lines);
        facts.push_back(secondsSince(start));
        start = std::chrono::steady_clock::now();
        const double cpuStart = bench::cpuSeconds();
        LocalHistory(folder.file("history.sqlite"), LocalHistory::Access::Write).add(kept);
        writes.push_back(secondsSince(start));
        cpu.push_back(bench::cpuSeconds() - cpuStart);
        peak = std::max(peak, bench::peakResidentKiB() - before);
    }
    const double made = writes.front();
    facts.erase(facts.begin());
    writes.erase(writes.begin());
    cpu.erase(cpu.begin());
    const double total = median(facts) + median(writes);
    std::printf("the end of a transfer, %d memory points:\n", kFullMemory);
    std::printf("  the facts (fingerprint, figures, points)   %7.3f s\n", median(facts));
    std::printf("  the write into a new history               %7.3f s\n", made);
    std::printf("  the write into a history, median of %d      %7.3f s (CPU %.3f s)\n",
                kWriteRounds - 1, median(writes), median(cpu));
    std::printf("  facts and write                            %7.3f s (target under %.1f s: %s)\n",
                total, kWriteTarget, total < kWriteTarget ? "met" : "MISSED");
    std::printf("  peak resident memory over the start        %+7ld KiB\n\n", peak);
}

std::uintmax_t bytesOnDisk(const std::string& path) {
    std::uintmax_t bytes = 0;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::error_code missing;
        const std::uintmax_t size = fs::file_size(path + suffix, missing);
        bytes += missing ? 0 : size;
    }
    return bytes;
}

void makeHistory(const FullDownload& full, const std::string& path) {
    const int held = LocalHistory(path, LocalHistory::Access::Read).counts().downloads;
    if (held >= kDownloads) {
        std::printf("the synthetic history %s holds %d downloads already\n", path.c_str(), held);
        return;
    }
    history::KeptDownload kept = history::keptDownloadOf(full.record, full.summary, full.lines);
    LocalHistory history(path, LocalHistory::Access::Write);
    const auto start = std::chrono::steady_clock::now();
    for (int download = held; download < kDownloads; ++download) {
        kept.uid = history::randomUuid();
        kept.characteristic = characteristicOf(download);
        kept.pressedAt = pressedAtOf(download);
        history.add(kept);
    }
    std::printf("made the synthetic history %s: %d downloads in %.1f s\n", path.c_str(),
                kDownloads - held, secondsSince(start));
}

void benchListing(const std::string& path) {
    std::vector<double> times;
    std::size_t listed = 0;
    for (int round = 0; round < kListRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        listed = LocalHistory(path, LocalHistory::Access::Read).list(characteristicOf(3)).size();
        times.push_back(secondsSince(start));
    }
    const auto start = std::chrono::steady_clock::now();
    const std::size_t all = LocalHistory(path, LocalHistory::Access::Read).list({}).size();
    const double allTime = secondsSince(start);
    const std::uintmax_t bytes = bytesOnDisk(path);
    std::printf("  size on disk                  %.1f MiB (%.1f bytes a point)\n",
                double(bytes) / 1048576, double(bytes) / (double(kDownloads) * kFullMemory));
    std::printf(
        "  list one characteristic's %zu downloads with their figures, opening included, "
        "median of %d:\n"
        "                                %.2f ms (target under %.0f ms: %s)\n",
        listed, kListRounds, median(times) * 1000, kListTarget * 1000,
        median(times) < kListTarget ? "met" : "MISSED");
    std::printf("  list all %zu downloads         %.2f ms\n", all, allTime * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    const FullDownload full;
    benchEndOfTransfer(full);

    const bench::KeptFolder folder(argc, argv);
    const std::string path = folder.file("history.sqlite");
    makeHistory(full, path);
    benchListing(path);
    return 0;
}
