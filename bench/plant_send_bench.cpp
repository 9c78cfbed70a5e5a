// The send of a full download (32,767 memory points) to the plant's PostgreSQL, ROUNDS times
// (default 5), each a new download, then once more a download the database holds already: wall
// time of each send, the median against the 2 s target, points per second and peak resident
// memory. It sends to the database its connection string names (the first argument, else
// QORB_TEST_POSTGRES, which scripts/lib/postgres.bash's start_test_postgres sets for a throwaway
// server), creating the history's tables there when they are missing: point it at a scratch
// database, never the plant's.
//
//   plant_send_bench [CONNINFO [ROUNDS]]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "history/history_error.h"
#include "history/plant_database.h"

namespace {

constexpr int kFullMemory = 32767;
constexpr double kTargetSeconds = 2.0;

// A full download as a gauge sends it: number, value, unit, every fifth point deleted.
history::KeptDownload fullDownload(const std::string& uid) {
    history::KeptDownload download;
    download.uid = uid;
    download.program = "qorb-download";
    download.programVersion = QORB_VERSION;
    download.pressedAt = "2026-12-07T14:15:03+01:00";
    download.endedAt = "2026-12-07T14:21:40+01:00";
    download.port = "Com 1";
    download.endedWith = "Transfer Complete - Data saved in file /tmp/bench.txt";
    download.complete = true;
    download.fingerprint = std::string(64, '0');
    download.file = "/tmp/bench.txt";
    download.form = "text";
    download.rowsReceived = kFullMemory;
    download.rowsWritten = kFullMemory;
    for (int i = 1; i <= kFullMemory; ++i) {
        const double value = 12.0 + (i % 6973) / 10000.0;
        const bool deleted = i % 5 == 0;
        char line[64];
        std::snprintf(line, sizeof line, "%s%d\t%.4f\tmm", deleted ? "D" : "", i, value);
        download.points.push_back({pointsfile::Section::Memory, line, deleted,
                                   deleted ? std::nullopt : std::optional<double>(value)});
    }
    return download;
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const char* fromEnvironment = std::getenv("QORB_TEST_POSTGRES");
    const std::string connectionString =
        argc > 1 ? argv[1] : (fromEnvironment != nullptr ? fromEnvironment : "");
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (connectionString.empty() || rounds < 1) {
        std::fprintf(stderr,
                     "usage: plant_send_bench CONNINFO [ROUNDS]; or, for a throwaway server:\n"
                     "  bash -c 'source scripts/lib/postgres.bash && start_test_postgres && "
                     "build/bench/plant_send_bench; stop_test_postgres'\n");
        return 64;
    }
    try {
        history::PlantDatabase plant(connectionString);
        plant.prepare();
        std::mt19937_64 random{std::random_device()()};
        const std::string run = std::to_string(random());
        history::KeptDownload download = fullDownload("bench-" + run + "-0");
        std::vector<double> seconds;
        for (int round = 0; round < rounds; ++round) {
            download.uid = "bench-" + run + "-" + std::to_string(round);
            seconds.push_back(secondsOf([&] { plant.send(download); }));
            std::printf("send %d: %.3f s, %.0f points/s\n", round + 1, seconds.back(),
                        kFullMemory / seconds.back());
        }
        const double again = secondsOf([&] { plant.send(download); });
        std::sort(seconds.begin(), seconds.end());
        const double median = seconds[seconds.size() / 2];
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf(
            "%d points per download, %d sends: median %.3f s (target under %.1f s), "
            "fastest %.3f s, slowest %.3f s\n",
            kFullMemory, rounds, median, kTargetSeconds, seconds.front(), seconds.back());
        std::printf("the same download sent again (stored already, nothing written): %.4f s\n",
                    again);
        std::printf("peak resident memory: %ld KiB\n", usage.ru_maxrss);
        return median < kTargetSeconds ? 0 : 1;
    } catch (const history::HistoryError& error) {
        std::fprintf(stderr, "plant_send_bench: %s\n", error.what());
        return 69;
    }
}
