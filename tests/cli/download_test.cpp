// qorb-download end to end over the simulated gauge on a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

using testsupport::Process;
using testsupport::readBytes;
using testsupport::SimProcess;
using testsupport::writeBytes;
using Arguments = std::vector<std::string>;

const std::string kStatistics = "N\t12.5000\tmm\r\nMIN\t12.5125\tmm\r\n";
const std::string kMemoryWithoutDeleted =
    "1\t12.0007\tmm\r\n2\t12.0014\tmm\r\n3\t12.0021\tmm\r\n4\t12.0028\tmm\r\n6\t12.0042\tmm\r\n";
const std::string kMemoryAllSpaced =
    "1 12.0007 mm\r\n2 12.0014 mm\r\n3 12.0021 mm\r\n4 12.0028 mm\r\nD5 12.0035 mm\r\n"
    "6 12.0042 mm\r\n";
// Com 1, 115200, deletes off, statistics on, tabs; a line the window's save would drop.
const std::string kSaved = "0\r\n5\r\n0\r\n1\r\n0\r\nextra\r\n";

// A copy of the program in a folder of its own, with avrbl.txt beside it, and the gauge as its
// Com 1 through a com1 link there.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "no simulator or no pseudo-terminal here";
        }
        std::filesystem::copy_file(QORB_DOWNLOAD_PATH, program);
        writeBytes(file("avrbl.txt"), kSaved);
    }
    // 2 statistics points and 6 memory points, the fifth deleted, and any faults.
    SimProcess gauge(Arguments arguments) const {
        arguments.insert(arguments.end(), {"--link", file("com1"), "--statistics", "2", "--memory",
                                           "6", "--baud", "115200"});
        return SimProcess(arguments);
    }
    std::string file(const std::string& name) const { return m_folder.file(name); }

    testsupport::TempFolder m_folder;
    const std::string program = file("qorb-download");
};

// Every row complete before the end is on disk; a refusal leaves yesterday's file alone; avrbl.txt
// is never written. An expected output that ends its line is the whole of it, else its start. Both
// programs' --help and --version are what help2man reads on a build machine without a display.
TEST_F(DownloadTest, EachChoiceGivesTheWindowsBytesAndEachEndItsStatusAndMessage) {
    setenv("QT_QPA_PLATFORM", "none", 1);  // a program that made its QApplication first aborts
    const std::string points = file("points.txt");
    const std::string kept = "kept\r\n";
    const std::string done = "Transfer Complete - Data saved in file " + points + "\n";
    // Com 1, 115200, deletes on, statistics off, spaces on.
    writeBytes(file("saved.txt"), "0\r\n5\r\n1\r\n0\r\n1\r\n");
    const struct {
        const char* program;  // the copy when null
        Arguments faults, options;
        int status;
        std::string file, out, err;
    } cases[] = {
        // clang-format off
        {nullptr, {}, {"--force", points}, 0, kStatistics + kMemoryWithoutDeleted, "", done},
        {nullptr, {}, {"--settings", file("saved.txt"), "--pace=line", "--force", points}, 0,
         kMemoryAllSpaced, "", done},
        {nullptr, {}, {"--settings", file("saved.txt"), "--statistics", "--no-deletes", "--tabs",
                       "--baud=115200", "--force", points}, 0, kStatistics + kMemoryWithoutDeleted,
         "", done},
        {nullptr, {}, {"--port", file("com1"), "--no-statistics", "--deletes", "--spaces", "--quiet",
                       "--pace", "line",
                       "--gap", "5", "-"}, 0, kept, kMemoryAllSpaced, ""},
        {nullptr, {"--stop-after", "3"}, {"--force", points}, 75,
         kStatistics + "1\t12.0007\tmm\r\n", "", "Timeout - Improper resonse from gauge\n"},
        {nullptr, {"--memory-count", "-5"}, {"--force", points}, 65, kStatistics, "",
         "Gauge responds with invalid point count in memory\n"},
        {nullptr, {"--statistics-count", "0"}, {"--force", points}, 66, "", "",
         "Gauge responds with 0 points in statistics\n"},
        {nullptr, {}, {points}, 73, kept, "", points + " exists; give --force to replace it\n"},
        {nullptr, {}, {"--port", file("missing"), "--force", points}, 69, kept, "",
         "Invalid port: Cannot open "},
        {nullptr, {}, {"--baud", "300", points}, 64, kept, "", "qorb-download: --baud takes 4800"},
        {nullptr, {}, {"--version-query"}, 0, kept, "QORB V1.02\r\n", ""},
        {nullptr, {}, {"--version"}, 0, kept, "qorb-download 1.02\n", ""},
        {nullptr, {}, {"--help"}, 0, kept, "Usage: qorb-download [options] FILE", ""},
        {QORB_WINDOW_PATH, {}, {"--version"}, 0, kept, "QORB_Memory_To_File 1.02\n", ""},
        {QORB_WINDOW_PATH, {}, {"-platform", "offscreen", "--help"}, 0, kept,
         "Usage: QORB_Memory_To_File [options]", ""},
        {QORB_WINDOW_PATH, {}, {"--bogus"}, 64, kept, "",
         "QORB_Memory_To_File: unknown option --bogus"},
        // clang-format on
    };
    const auto shown = [](const std::string& text, const std::string& expected) {
        return expected.empty() || expected.ends_with('\n') ? text
                                                            : text.substr(0, expected.size());
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        writeBytes(points, kept);
        const SimProcess sim = gauge(c.faults);
        Process run(c.program != nullptr ? c.program : program, c.options);
        EXPECT_EQ(run.wait(), c.status);
        EXPECT_EQ(readBytes(points), c.file);
        EXPECT_EQ(shown(run.output(), c.out), c.out);
        EXPECT_EQ(shown(run.errors(), c.err), c.err);
    }
    EXPECT_EQ(readBytes(file("avrbl.txt")), kSaved);
}

TEST_F(DownloadTest, SignalEndsAfterTheStepWithEveryCompleteRow) {
    for (const auto& [signal, pace] : {std::pair{SIGINT, "poll"}, std::pair{SIGTERM, "line"}}) {
        const SimProcess sim({"--link", file("com1"), "--memory", "5000", "--baud", "115200"});
        const std::string points = file(pace);
        Process download(program, {"--no-statistics", "--pace", pace, points});
        for (int i = 0; i < 1500 && std::ranges::count(readBytes(points), '\n') < 3; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        download.stop(signal);
        EXPECT_EQ(download.wait(), 128 + signal);
        const std::string rows = readBytes(points);
        EXPECT_TRUE(rows.ends_with("\tmm\r\n")) << rows;
        EXPECT_EQ(download.errors(),
                  std::string(signal == SIGINT ? "Interrupted: " : "Terminated: ") + points +
                      " holds " + std::to_string(std::ranges::count(rows, '\n')) + " rows\n");
    }
}

// On a terminal the progress line is redrawn in place. --list-ports and --find-gauge tell each
// number's link, a dangling one too.
TEST_F(DownloadTest, ATerminalShowsTheProgressAndEachComLinkIsListedAndAsked) {
    const SimProcess sim = gauge({});
    std::filesystem::create_symlink(file("unplugged"), file("com2"));
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    Process download(program, {file("points.txt")}, ::ptsname(terminal));
    EXPECT_EQ(download.wait(), 0);
    std::string shown;
    char buffer[4096];
    pollfd ready{terminal, POLLIN, 0};
    for (ssize_t n = 1; n > 0 && ::poll(&ready, 1, 200) > 0;) {
        n = ::read(terminal, buffer, sizeof buffer);
        shown.append(buffer, std::size_t(std::max<ssize_t>(n, 0)));
    }
    ::close(terminal);
    // Some redraw in the middle of the memory section (std::regex draws GCC 12's warnings under
    // the sanitizers).
    bool middle = false;
    const std::string redraw = "\r\x1b[Kmemory: ";
    for (std::size_t at = shown.find(redraw); at != std::string::npos;
         at = shown.find(redraw, at + 1)) {
        int point = 0, percent = 0, rate = 0;
        char left[8] = {};
        middle = middle || (std::sscanf(shown.c_str() + at + redraw.size(),
                                        "%d of 6 points, %d %%, %d points/s, %7s left", &point,
                                        &percent, &rate, left) == 4 &&
                            point >= 1 && point <= 5 && percent >= 10 && percent <= 89 &&
                            std::string(left) == "0:00");
    }
    EXPECT_TRUE(middle) << shown;
    EXPECT_EQ(readBytes(file("points.txt")), kStatistics + kMemoryWithoutDeleted);
    const auto answer = [this](const char* option) {
        Process run(program, {option});
        EXPECT_EQ(run.wait(), 0) << option;
        return run.output();
    };
    EXPECT_NE(answer("--list-ports")
                  .find("Com 1   " + sim.ptyPath() + "  (link " + file("com1") +
                        "; not among the system's serial ports)\n"),
              std::string::npos);
    const std::string found = answer("--find-gauge");
    EXPECT_NE(found.find(sim.ptyPath() + " (Com 1): answers QORB V1.02\n"), std::string::npos)
        << found;
    EXPECT_NE(found.find(file("unplugged") + " (Com 2): skipped: Cannot open "), std::string::npos);
}

}  // namespace
