// Figures for the memory transfer in virtual time: ticks used against the poll design's floor,
// resident memory growth with the number of points, and the cost of one poll tick.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "bench/process_figures.h"
#include "gauge/transfer.h"
#include "pointsfile/file_table.h"
#include "serial/serial_port.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"
#include "tools/gauge_model.h"

namespace {

// A port that only passes bytes to the gauge model and back, so the figures show the transfer's
// own memory, not a test double's records.
class LeanPort : public serial::SerialPort {
public:
    explicit LeanPort(gaugesim::GaugeConfig config) : m_gauge(std::move(config)) {}
    void setPortNumber(std::int16_t) override {}
    void setLineSettings(std::string_view) override {}
    void setIntegerOption(std::int32_t) override {}
    void open() override {}
    void close() override {}
    bool isOpen() const override { return true; }
    std::string device() const override { return "lean"; }
    void writeText(std::string_view text) override { m_pending += m_gauge.receive(text); }
    std::string readAllPending() override {
        std::string piece;
        piece.swap(m_pending);
        return piece;
    }
    void onInputArrived(std::function<void()> /*handler*/) override {}

private:
    gaugesim::GaugeModel m_gauge;
    std::string m_pending;
};

// Large blocks are mapped apart from the heap proper (hblkhd); both count.
long heapInUseKiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

struct Run {
    long ticks = 0;
    bool completed = false;
    // Taken once the gauge holds its points and again when the transfer has ended, so the
    // difference is what the transfer itself kept.
    long residentBefore = 0;
    long residentAfter = 0;
    long heapBefore = 0;
    long heapAfter = 0;
};

// One whole transfer of n memory points, statistics off.
Run transferOf(int points, const testsupport::TempFolder& folder) {
    gaugesim::GaugeConfig config;
    config.memoryPoints = gaugesim::generatedMemoryPoints(static_cast<std::size_t>(points));
    testsupport::FakeView view;
    LeanPort port(std::move(config));
    pointsfile::FileTable files;
    gauge::Transfer transfer(view, port, files);
    transfer.startUp();
    Run run;
    view.onTick([&](view::Timer timer) {
        if (timer == view::Timer::timerCheckData) {
            ++run.ticks;
            transfer.pollTick(true);
        } else if (timer == view::Timer::tmrCheckTimeout) {
            transfer.watchdogTick();
        }
    });
    view.setCheckBoxValue(view::CheckBox::chkIncludeDeletedItem, 1);
    view.setTimerPeriod(view::Timer::timerCheckData, 50);
    view.setTimerRunning(view::Timer::timerCheckData, true);
    view.answerNextDialog(folder.file("bench.txt"));
    run.residentBefore = bench::residentKiB();
    run.heapBefore = heapInUseKiB();
    transfer.press();
    while (transfer.running()) {
        view.advance(50);
    }
    run.residentAfter = bench::residentKiB();
    run.heapAfter = heapInUseKiB();
    run.completed = !view.messageBoxes().empty() &&
                    view.messageBoxes().back().text.rfind("Transfer Complete", 0) == 0;
    return run;
}

void printTransferFigures() {
    testsupport::TempFolder folder;
    transferOf(100, folder);  // warms up the allocator and the file system
    const Run small = transferOf(100, folder);
    const Run large = transferOf(32767, folder);
    const long floor = 2L * 32767 + 4;
    std::printf("transfer of 32767 memory points (statistics off), virtual time:\n");
    std::printf("  ticks used      %ld\n", large.ticks);
    std::printf("  floor 2n + 4    %ld  (%s)\n", floor,
                large.ticks == floor ? "exactly the floor" : "MISSES the floor");
    std::printf("  completed       %s\n", large.completed ? "yes" : "NO");
    std::printf("memory kept by the transfer itself (the gauge model's points excluded):\n");
    std::printf("  100 points:   resident %+ld KiB, heap in use %+ld KiB\n",
                small.residentAfter - small.residentBefore, small.heapAfter - small.heapBefore);
    std::printf("  32767 points: resident %+ld KiB, heap in use %+ld KiB\n",
                large.residentAfter - large.residentBefore, large.heapAfter - large.heapBefore);
    std::printf("  growth from 100 to 32767 points: resident %+ld KiB (target under 1024 KiB)\n\n",
                (large.residentAfter - large.residentBefore) -
                    (small.residentAfter - small.residentBefore));
}

// One poll tick in the middle of a long memory section: alternately a send and a collect.
void BM_PollTick(benchmark::State& state) {
    testsupport::TempFolder folder;
    gaugesim::GaugeConfig config;
    config.memoryPoints = gaugesim::generatedMemoryPoints(32767);
    testsupport::FakeView view;
    LeanPort port(std::move(config));
    pointsfile::FileTable files;
    gauge::Transfer transfer(view, port, files);
    transfer.startUp();
    view.setCheckBoxValue(view::CheckBox::chkIncludeDeletedItem, 1);
    view.answerNextDialog(folder.file("tick.txt"));
    transfer.press();
    for (auto _ : state) {
        if (!transfer.running()) {
            state.PauseTiming();
            view.answerNextDialog(folder.file("tick.txt"));
            transfer.press();
            state.ResumeTiming();
        }
        transfer.pollTick(true);
    }
}
BENCHMARK(BM_PollTick)->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    printTransferFigures();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
