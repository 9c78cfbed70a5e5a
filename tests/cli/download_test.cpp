// qorb-download end to end over the simulated gauge on a pseudo-terminal.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "support/pty_end.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

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
// The commands the simulator logs, one a line.
const std::string kStatisticsAsked = "NZ\nNC\nNN\nNN\n";
const std::string kMemoryAsked = "MZ\nMC\nMN\nMN\nMN\nMN\nMN\nMN\n";
const std::string kComplete = "Transfer Complete - Data saved in file ";

// Rows end in CR LF, and the gauge's text holds no LF of its own.
std::size_t rowsIn(const std::string& bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

// Starts qorb-download (or a copy of it) with its standard output and error in `out` and `err`.
pid_t start(const Arguments& arguments, const std::string& out, const std::string& err,
            const std::string& program = QORB_DOWNLOAD_PATH) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("Cannot start " + program);
    }
    return pid;
}

// Its exit status, or 128 + the signal that ended it; -1, and killed, when still running at 30 s.
int finish(pid_t pid) {
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 3000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "no simulator or no pseudo-terminal here";
        }
    }
    // 2 statistics points and 6 memory points, the fifth deleted, and any faults.
    static std::unique_ptr<SimProcess> gauge(Arguments arguments = {}) {
        arguments.insert(arguments.end(),
                         {"--statistics", "2", "--memory", "6", "--baud", "115200"});
        return std::make_unique<SimProcess>(arguments);
    }
    struct Ended {
        int status;
        std::string out, err;
    };
    Ended run(const Arguments& arguments, const std::string& program = QORB_DOWNLOAD_PATH) {
        const int status = finish(start(arguments, file("out"), file("err"), program));
        return {status, readBytes(file("out")), readBytes(file("err"))};
    }
    std::string file(const std::string& name) const { return m_folder.file(name); }

    testsupport::TempFolder m_folder;
};

// Both paces send the same commands and write the same bytes, the window's for each choice.
TEST_F(DownloadTest, EveryChoiceAtEitherPaceGivesTheWindowsBytes) {
    const std::string points = file("points.txt");
    const std::string done = kComplete + points + "\n";
    // Com 1, 115200, deletes on, statistics off, spaces on.
    writeBytes(file("saved.txt"), "0\r\n5\r\n1\r\n0\r\n1\r\n");
    const struct {
        Arguments arguments;
        std::string file, out, err, asked;
    } cases[] = {
        // clang-format off
        {{"--baud", "115200", "--statistics", "--no-deletes", "--tabs", "--pace", "poll", points},
         kStatistics + kMemoryWithoutDeleted, "", done, kStatisticsAsked + kMemoryAsked},
        {{"--baud=115200", "--statistics", "--no-deletes", "--tabs", "--pace=line", points},
         kStatistics + kMemoryWithoutDeleted, "", done, kStatisticsAsked + kMemoryAsked},
        {{"--settings", file("saved.txt"), "--pace", "line", points},
         kMemoryAllSpaced, "", done, kMemoryAsked},
        {{"--no-statistics", "--deletes", "--spaces", "--quiet", "--pace", "line", "--gap", "5", "-"},
         "", kMemoryAllSpaced, "", kMemoryAsked},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::filesystem::remove(points);
        const auto sim = gauge({"--log"});
        Arguments arguments = {"--port", sim->ptyPath()};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const Ended ended = run(arguments);
        EXPECT_EQ(ended.status, 0) << ended.err;
        EXPECT_EQ(readBytes(points), c.file);
        EXPECT_EQ(ended.out, c.out);
        EXPECT_EQ(ended.err, c.err);
        sim->terminate();
        EXPECT_EQ(sim->standardError(), c.asked);
    }
}

// Every row complete before the end is on disk; a refusal leaves yesterday's file alone.
TEST_F(DownloadTest, EachEndHasItsStatusAndMessage) {
    const std::string points = file("points.txt");
    const std::string kept = "kept\r\n";
    const struct {
        Arguments faults, options;
        int status;
        std::string rows, errorStart;
    } cases[] = {
        // clang-format off
        {{"--stop-after", "3"}, {"--force"}, 75, kStatistics + "1\t12.0007\tmm\r\n",
         "Timeout - Improper resonse from gauge\n"},
        {{"--memory-count", "-5"}, {"--force"}, 65, kStatistics,
         "Gauge responds with invalid point count in memory\n"},
        {{"--statistics-count", "0"}, {"--force"}, 66, "",
         "Gauge responds with 0 points in statistics\n"},
        {{}, {}, 73, kept, points + " exists; give --force to replace it\n"},
        {{}, {"--port", file("missing"), "--force"}, 69, kept, "Invalid port: Cannot open "},
        {{}, {"--baud", "300"}, 64, kept, "qorb-download: --baud takes 4800, 9600"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        writeBytes(points, kept);
        const auto sim = gauge(c.faults);
        Arguments arguments = {"--port", sim->ptyPath(), "--statistics", "--pace", "line"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(points);
        const Ended ended = run(arguments);
        EXPECT_EQ(ended.status, c.status);
        EXPECT_EQ(readBytes(points), c.rows);
        EXPECT_TRUE(ended.err.starts_with(c.errorStart)) << ended.err;
    }
}

TEST_F(DownloadTest, SignalEndsAfterTheStepWithEveryCompleteRow) {
    for (const auto& [signal, pace] : {std::pair{SIGINT, "poll"}, std::pair{SIGTERM, "line"}}) {
        const SimProcess sim({"--memory", "5000", "--baud", "115200"});
        const std::string points = file(pace);
        const pid_t download =
            start({"--port", sim.ptyPath(), "--no-statistics", "--pace", pace, points}, file("out"),
                  file("err"));
        while (rowsIn(readBytes(points)) < 3) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(download, signal);
        EXPECT_EQ(finish(download), 128 + signal);
        const std::string rows = readBytes(points);
        EXPECT_TRUE(rows.ends_with("\tmm\r\n")) << rows;
        EXPECT_EQ(readBytes(file("err")),
                  std::string(signal == SIGINT ? "Interrupted: " : "Terminated: ") + points +
                      " holds " + std::to_string(rowsIn(rows)) + " rows\n");
    }
}

// The first line of a program's output, with its line end; "" when there is none.
std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n') + 1);
}

// Both programs' --help and --version, which help2man reads on a build machine without a display,
// and the window's refusal of an option it does not know.
TEST_F(DownloadTest, HelpAndVersionAnswerWithoutADisplay) {
    // A platform Qt cannot load: a program that made its QApplication first would abort.
    setenv("QT_QPA_PLATFORM", "none", 1);
    const struct {
        std::string program;
        Arguments arguments;
        int status;
        std::string out, err;
    } cases[] = {
        // clang-format off
        {QORB_DOWNLOAD_PATH, {"--version"}, 0, "qorb-download 1.02\n", ""},
        {QORB_DOWNLOAD_PATH, {"--help"}, 0, "Usage: qorb-download [options] FILE\n", ""},
        {QORB_WINDOW_PATH, {"--version"}, 0, "QORB_Memory_To_File 1.02\n", ""},
        {QORB_WINDOW_PATH, {"-platform", "offscreen", "--help"}, 0,
         "Usage: QORB_Memory_To_File [options]\n", ""},
        {QORB_WINDOW_PATH, {"--bogus"}, 64, "", "QORB_Memory_To_File: unknown option --bogus\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program + " " + c.arguments.back());
        const Ended ended = run(c.arguments, c.program);
        EXPECT_EQ(ended.status, c.status);
        EXPECT_EQ(firstLine(ended.out), c.out);
        EXPECT_EQ(firstLine(ended.err), c.err);
    }
}

// A copy of the program in a folder of its own, with avrbl.txt and a com1 link beside it; standard
// error on a terminal, where the progress line updates in place.
TEST_F(DownloadTest, ProgramFolderGivesTheChoicesAndTheComLinks) {
    const std::string program = file("qorb-download");
    std::filesystem::copy_file(QORB_DOWNLOAD_PATH, program);
    // Com 1, 115200, deletes off, statistics on, tabs; a line the window's save would drop.
    const std::string saved = "0\r\n5\r\n0\r\n1\r\n0\r\nextra\r\n";
    writeBytes(file("avrbl.txt"), saved);
    const auto sim = gauge({"--link", file("com1")});
    std::filesystem::create_symlink(file("unplugged"), file("com2"));

    const auto terminal = testsupport::PtyEnd::fresh();
    const pid_t download = start({file("points.txt")}, file("out"), terminal->device(), program);
    const std::string shown = terminal->readFor(std::chrono::milliseconds(1500));
    EXPECT_EQ(finish(download), 0);
    // Some redraw in the middle of the memory section: "memory: 3 of 6 points, 50 %, ...".
    bool midway = false;
    for (std::size_t at = shown.find("\r\x1b[Kmemory: "); at != std::string::npos && !midway;
         at = shown.find("\r\x1b[Kmemory: ", at + 1)) {
        int got = 0, percent = 0, rate = 0;
        char end = 0;
        midway = std::sscanf(shown.c_str() + at,
                             "\r\x1b[Kmemory: %d of 6 points, %d %%, %d points/s, 0:00 lef%c", &got,
                             &percent, &rate, &end) == 4 &&
                 got >= 1 && got <= 5 && percent >= 10 && percent < 90 && end == 't';
    }
    EXPECT_TRUE(midway) << shown;
    EXPECT_EQ(readBytes(file("points.txt")), kStatistics + kMemoryWithoutDeleted);
    EXPECT_EQ(run({"--version-query"}, program).out, "QORB V1.02\r\n");
    EXPECT_NE(run({"--list-ports"}, program)
                  .out.find("Com 1   " + sim->ptyPath() + "  (link " + file("com1") +
                            "; not among the system's serial ports)\n"),
              std::string::npos);
    const auto found = run({"--find-gauge"}, program);
    EXPECT_EQ(found.status, 0);
    EXPECT_NE(found.out.find(sim->ptyPath() + " (Com 1): answers QORB V1.02\n"), std::string::npos)
        << found.out;
    EXPECT_NE(found.out.find(file("unplugged") + " (Com 2): skipped: Cannot open "),
              std::string::npos);
    EXPECT_EQ(readBytes(file("avrbl.txt")), saved);
}

}  // namespace
