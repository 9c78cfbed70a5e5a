// qorb-download on the simulated gauge at the line pace into each form of file: what the workbook
// and the CSV cost against the points file in wall time, peak resident memory and file size.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/download_run.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

constexpr int kFullMemory = 32767;
constexpr int kBaud = 115200;
constexpr double kWorkbookTarget = 1.10;  // at most 10 % over the points file's time

struct FormRun : bench::DownloadRun {
    std::uintmax_t fileBytes = 0;
};

// One download of `points` memory points (statistics off, deletes on) into a file named `name`.
FormRun download(int points, const std::string& name) {
    testsupport::TempFolder folder;
    testsupport::SimProcess sim(
        {"--baud", std::to_string(kBaud), "--memory", std::to_string(points)});
    const std::string file = folder.file(name);
    FormRun run;
    static_cast<bench::DownloadRun&>(run) =
        bench::runDownload({"--port", sim.ptyPath(), "--baud", std::to_string(kBaud),
                            "--no-statistics", "--deletes", "--quiet", "--pace", "line", file});
    std::error_code missing;
    run.fileBytes = std::filesystem::file_size(file, missing);
    return run;
}

bool report(const char* what, const FormRun& run, const FormRun& text) {
    if (!run.complete) {
        std::printf("  %-10s did not complete\n", what);
        return false;
    }
    std::printf(
        "  %-10s %8.3f s wall (%+6.2f %% against the points file), CPU %6.3f s, "
        "peak resident %6ld KiB, file %8ju bytes\n",
        what, run.wall, 100.0 * (run.wall / text.wall - 1.0), run.cpu, run.maxResident,
        run.fileBytes);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!testsupport::simulatorAvailable()) {
        std::printf("no gauge simulator or no pseudo-terminal here\n");
        return 1;
    }
    // Rounds alternate the forms, so that a machine busy for a while weighs on each alike.
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    bool ok = true;
    std::printf("%d memory points at %d baud, --pace line, %d round(s):\n", kFullMemory, kBaud,
                rounds);
    FormRun book;
    for (int round = 1; round <= rounds; ++round) {
        const FormRun text = download(kFullMemory, "points.txt");
        book = download(kFullMemory, "points.xlsx");
        const FormRun csv = download(kFullMemory, "points.csv");
        ok = report("text", text, text) && ok;
        ok = report("workbook", book, text) && ok;
        ok = report("CSV", csv, text) && ok;
        if (text.complete && book.complete) {
            std::printf("  workbook against the points file: %.3f x (target at most %.2f x)\n",
                        book.wall / text.wall, kWorkbookTarget);
        }
    }

    // The workbook is written at the end from the rows' copy on disk: its peak memory must not
    // follow the number of points.
    const FormRun small = download(100, "points.xlsx");
    std::printf(
        "workbook peak resident memory: %ld KiB at 100 points, %ld KiB at %d "
        "(growth %+ld KiB, target under 1024)\n",
        small.maxResident, book.maxResident, kFullMemory, book.maxResident - small.maxResident);
    return ok && small.complete ? 0 : 1;
}
