// qorb-download on the simulated gauge in real time: the line pace against the poll pace, its wall
// time against the line's own time for the bytes, and the program's CPU time and resident memory.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/download_run.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

constexpr int kPollMs = 50;
constexpr int kFullMemory = 32767;

struct Download : bench::DownloadRun {
    double lineTime = 0;  // s, the bytes both ways at 10 bits each
};

// Bytes on the line: each command is two letters and CR; each reply is what the file got (every
// point written, with --deletes) plus the opening and count replies.
double lineSeconds(int points, std::uintmax_t fileBytes, int baud) {
    const double commands = 3.0 * (points + 2);
    const double replies =
        double(fileBytes) + std::string("MEMORY\r\n").size() + std::to_string(points).size() + 2;
    return (commands + replies) * 10.0 / baud;
}

// One download of `points` memory points at the baud rate and pace, from its start to its end,
// kept in a history of its own unless told otherwise.
Download download(int points, int baud, const char* pace, bool history = true) {
    testsupport::TempFolder folder;
    testsupport::SimProcess sim(
        {"--baud", std::to_string(baud), "--memory", std::to_string(points)});
    const std::string file = folder.file("points.txt");
    Download result;
    std::vector<std::string> arguments = {
        "--port",  sim.ptyPath(), "--baud", std::to_string(baud), "--no-statistics", "--deletes",
        "--quiet", "--pace",      pace,     "--no-history"};
    if (history) {
        arguments.back() = "--history";
        arguments.push_back(folder.file("history.sqlite"));
    }
    arguments.push_back(file);
    static_cast<bench::DownloadRun&>(result) = bench::runDownload(arguments);
    result.lineTime = lineSeconds(points, std::filesystem::file_size(file), baud);
    return result;
}

bool report(const char* what, const Download& run) {
    if (!run.complete) {
        std::printf("  %-34s did not complete\n", what);
        return false;
    }
    std::printf(
        "  %-34s %8.3f s wall, line time %7.3f s (%.2f x), CPU %.3f s = %.1f %% of one core\n",
        what, run.wall, run.lineTime, run.wall / run.lineTime, run.cpu, 100.0 * run.cpu / run.wall);
    return true;
}

// The history costs one short write at the end of a download: three of each, alternating, so
// that the machine's other work falls on both alike.
bool historyCost() {
    std::printf("%d memory points at 115200 baud, --pace line, with the history and without:\n",
                kFullMemory);
    bool ok = true;
    std::vector<double> with;
    std::vector<double> without;
    for (int run = 0; run < 3; ++run) {
        const Download kept = download(kFullMemory, 115200, "line", true);
        const Download none = download(kFullMemory, 115200, "line", false);
        ok = kept.complete && none.complete && ok;
        with.push_back(kept.wall);
        without.push_back(none.wall);
        std::printf(
            "  run %d: wall %.3f s with, %.3f s without; CPU %.3f s with, %.3f s without; peak "
            "memory %ld KiB with, %ld KiB without\n",
            run + 1, kept.wall, none.wall, kept.cpu, none.cpu, kept.maxResident, none.maxResident);
    }
    std::sort(with.begin(), with.end());
    std::sort(without.begin(), without.end());
    std::printf("  medians: %.3f s with, %.3f s without: %.3f x (target at most 1.02 x)\n\n",
                with[1], without[1], with[1] / without[1]);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (!testsupport::simulatorAvailable()) {
        std::printf("no gauge simulator or no pseudo-terminal here\n");
        return 1;
    }
    // --history: the history's cost alone.
    if (argc > 1 && std::string(argv[1]) == "--history") {
        return historyCost() ? 0 : 1;
    }
    bool ok = true;

    std::printf("%d memory points at 115200 baud, --pace line:\n", kFullMemory);
    const Download full = download(kFullMemory, 115200, "line");
    ok = report("wall time, start to end", full) && ok;
    std::printf("  target: within 1.5 x the line time (%.3f s) and under 120 s\n",
                1.5 * full.lineTime);
    std::printf("  the same at --pace poll, not run: its floor (2n + 4) x 50 ms = %.1f min\n",
                (2.0 * kFullMemory + 4) * kPollMs / 60000.0);
    const Download small = download(100, 115200, "line");
    std::printf(
        "  peak resident memory: %ld KiB at 100 points, %ld KiB at %d (growth %+ld KiB, target "
        "under 1024)\n\n",
        small.maxResident, full.maxResident, kFullMemory, full.maxResident - small.maxResident);
    ok = historyCost() && ok;

    constexpr int kPoints = 2000;
    std::printf("%d memory points, both paces side by side:\n", kPoints);
    for (const int baud : {115200, 9600}) {
        const Download poll = download(kPoints, baud, "poll");
        const Download line = download(kPoints, baud, "line");
        const std::string at = " at " + std::to_string(baud);
        ok = report(("--pace poll" + at).c_str(), poll) && ok;
        ok = report(("--pace line" + at).c_str(), line) && ok;
        if (poll.complete && line.complete) {
            std::printf("  speed-up of the line pace at %d baud: %.1f x\n", baud,
                        poll.wall / line.wall);
        }
    }
    return ok ? 0 : 1;
}
