// What the workbook and the CSV cost against the points file: each form alone in this process
// (its rows, then its end, where the workbook is written from its rows' copy, Summary and charts
// included), then qorb-download on the simulated gauge at the line pace into each form, ROUNDS
// times (the argument, default 1; 0 runs none): wall time, CPU time, peak resident memory and file
// size. The workbook is written with tolerance limits, so its Summary has every figure to compute.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench/download_run.h"
#include "pointsfile/file_table.h"
#include "pointsfile/row_sink.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "tools/gauge_model.h"

namespace {

constexpr int kFullMemory = 32767;
constexpr int kBaud = 115200;
constexpr double kWorkbookTarget = 1.10;  // at most 10 % over the points file's time
// Within the simulated gauge's values (12.0000 to 12.6972), so that points fall on both sides.
constexpr double kLowerLimit = 12.1;
constexpr double kUpperLimit = 12.6;
constexpr double kNominal = 12.35;
const std::vector<std::string> kLimitOptions = {"--lower-limit", "12.1",      "--upper-limit",
                                                "12.6",          "--nominal", "12.35"};

struct FormRun : bench::DownloadRun {
    std::uintmax_t fileBytes = 0;
};

// One download of `points` memory points (statistics off, deletes on) into a file named `name`.
FormRun download(int points, const std::string& name) {
    testsupport::TempFolder folder;
    testsupport::SimProcess sim(
        {"--baud", std::to_string(kBaud), "--memory", std::to_string(points)});
    const std::string file = folder.file(name);
    std::vector<std::string> arguments = {
        "--port",  sim.ptyPath(), "--baud", std::to_string(kBaud), "--no-statistics", "--deletes",
        "--quiet", "--pace",      "line"};
    if (pointsfile::formOfName(name) == pointsfile::Form::Workbook) {
        arguments.insert(arguments.end(), kLimitOptions.begin(), kLimitOptions.end());
    }
    arguments.push_back(file);
    FormRun run;
    static_cast<bench::DownloadRun&>(run) = bench::runDownload(arguments);
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

struct SinkTimes {
    double rows = 0;   // s, every row written
    double close = 0;  // s, the end: for a workbook, the whole workbook written from the copy
};

// The form alone, in this process, without the line: the cost of its rows and of its end.
SinkTimes timeSink(pointsfile::Form form, const std::string& name,
                   const std::vector<std::string>& points,
                   const pointsfile::SummaryChoices& summary) {
    testsupport::TempFolder folder;
    pointsfile::FileTable files;
    SinkTimes times;
    auto start = std::chrono::steady_clock::now();
    const auto lap = [&start] {
        const auto now = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(now - start).count();
        start = now;
        return seconds;
    };
    pointsfile::OutputChoices choices;
    choices.form = form;
    choices.summary = summary;
    const auto sink = pointsfile::openRowSink(files, folder.file(name), choices);
    for (const std::string& point : points) {
        sink->writeRow(pointsfile::Section::Memory, point, point);
    }
    times.rows = lap();
    pointsfile::DownloadRecord record;
    record.rowsWritten = int(points.size());
    sink->close(record);
    times.close = lap();
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    // The end of a workbook transfer, the one cost the line does not hide, measured alone: the
    // Points sheet, the Summary with its helper cells and charts, the Download sheet.
    const std::vector<std::string> points = gaugesim::generatedMemoryPoints(kFullMemory);
    std::printf("the forms alone, %d rows, no line:\n", kFullMemory);
    const pointsfile::SummaryChoices limits{kLowerLimit, kUpperLimit, kNominal, {}, {}};
    // A value field that holds no number leaves the Summary one line: what the figures cost.
    const pointsfile::SummaryChoices noFigures{{}, {}, {}, 9, {}};
    const struct {
        pointsfile::Form form;
        const char* name;
        pointsfile::SummaryChoices summary;
        const char* what;
    } forms[] = {{pointsfile::Form::Text, "points.txt", {}, ""},
                 {pointsfile::Form::Csv, "points.csv", {}, ""},
                 {pointsfile::Form::Workbook, "points.xlsx", limits,
                  " (the workbook written: Summary with limits, charts)"},
                 {pointsfile::Form::Workbook, "points.xlsx", noFigures,
                  " (the same without the Summary's figures and charts)"}};
    for (const auto& form : forms) {
        const SinkTimes times = timeSink(form.form, form.name, points, form.summary);
        std::printf("  %-12s rows %7.3f s (%5.1f us a row), end %7.3f s%s\n", form.name, times.rows,
                    1e6 * times.rows / kFullMemory, times.close, form.what);
    }

    // Several rounds spread a machine busy for a while over every form; 0 runs none.
    const int rounds = argc > 1 ? std::max(0, std::atoi(argv[1])) : 1;
    if (rounds == 0) {
        return 0;
    }
    if (!testsupport::simulatorAvailable()) {
        std::printf("no gauge simulator or no pseudo-terminal here\n");
        return 1;
    }
    bool ok = true;
    std::printf(
        "%d memory points at %d baud, --pace line, %d round(s); the workbook with limits "
        "%.1f and %.1f:\n",
        kFullMemory, kBaud, rounds, kLowerLimit, kUpperLimit);
    // Each round starts with another form, so that no form always meets the machine first.
    const std::array<const char*, 3> names = {"points.txt", "points.xlsx", "points.csv"};
    FormRun book;
    for (int round = 0; round < rounds; ++round) {
        std::array<FormRun, 3> runs;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::size_t form = (i + std::size_t(round)) % names.size();
            runs[form] = download(kFullMemory, names[form]);
        }
        const auto& [text, workbook, csv] = runs;
        std::printf("round %d, starting with %s:\n", round + 1, names[std::size_t(round) % 3]);
        ok = report("text", text, text) && ok;
        ok = report("workbook", workbook, text) && ok;
        ok = report("CSV", csv, text) && ok;
        if (text.complete && workbook.complete) {
            std::printf("  workbook against the points file: %.3f x (target at most %.2f x)\n",
                        workbook.wall / text.wall, kWorkbookTarget);
        }
        book = workbook;
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
