#include "support/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace testsupport {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(5);
constexpr auto kEndTimeout = std::chrono::seconds(5);

const char* simulatorPath() {
#ifdef QORB_GAUGE_SIM_PATH
    return QORB_GAUGE_SIM_PATH;
#else
    return nullptr;
#endif
}

bool ptyCanBeOpened() {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        return false;
    }
    bool usable = grantpt(master) == 0 && unlockpt(master) == 0 && ptsname(master) != nullptr;
    ::close(master);
    return usable;
}

std::string describeArguments(const std::vector<std::string>& arguments) {
    std::string text = "qorb-gauge-sim";
    for (const std::string& argument : arguments) {
        text += ' ';
        text += argument;
    }
    return text;
}

int exitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

struct Spawned {
    pid_t pid = -1;
    int stdoutFd = -1;
    int stderrFd = -1;
};

// The child gets default signal handling and an empty mask, whatever the test process has set,
// so SIGTERM and SIGINT reach the simulator's own handlers.
Spawned spawnSimulator(const std::vector<std::string>& arguments) {
    const char* path = simulatorPath();
    if (path == nullptr) {
        throw std::runtime_error("qorb-gauge-sim was not built (QORB_GAUGE_SIM_PATH is not set)");
    }
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("Cannot make a pipe for qorb-gauge-sim: ") +
                                 std::strerror(errno));
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        int error = errno;
        ::close(out[0]);
        ::close(out[1]);
        throw std::runtime_error(std::string("Cannot make a pipe for qorb-gauge-sim: ") +
                                 std::strerror(error));
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    int result = posix_spawn(&pid, path, &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(out[1]);
    ::close(err[1]);
    if (result != 0) {
        ::close(out[0]);
        ::close(err[0]);
        throw std::runtime_error("Cannot start " + std::string(path) + ": " +
                                 std::strerror(result));
    }
    return {pid, out[0], err[0]};
}

// Reads what is there from fd into text; false once the far end has closed.
bool drain(int fd, std::string& text) {
    char buffer[4096];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
        text.append(buffer, std::size_t(n));
        return true;
    }
    return n < 0 && (errno == EINTR || errno == EAGAIN);
}

}  // namespace

bool simulatorAvailable() {
    static const bool available = [] {
        const char* path = simulatorPath();
        return path != nullptr && ::access(path, X_OK) == 0 && ptyCanBeOpened();
    }();
    return available;
}

SimProcess::SimProcess(const std::vector<std::string>& arguments) {
    Spawned spawned = spawnSimulator(arguments);
    m_pid = spawned.pid;
    m_stdoutFd = spawned.stdoutFd;
    m_stderrFd = spawned.stderrFd;
    m_reader = std::thread([this] { readOutput(); });

    std::unique_lock lock(m_mutex);
    bool printed = m_outputChanged.wait_for(lock, kStartTimeout, [this] {
        return m_stdout.find('\n') != std::string::npos || m_outputClosed;
    });
    std::size_t end = m_stdout.find('\n');
    if (!printed || end == std::string::npos || end == 0) {
        std::string error = m_stderr;
        lock.unlock();
        kill();
        // No destructor runs for a constructor that throws: finish the reader here.
        m_reader.join();
        ::close(m_stdoutFd);
        ::close(m_stderrFd);
        throw std::runtime_error(
            describeArguments(arguments) +
            (printed ? " ended without printing its pty path" : " printed no pty path within 5 s") +
            (error.empty() ? std::string() : ": " + error));
    }
    m_ptyPath = m_stdout.substr(0, end);
}

SimProcess::~SimProcess() {
    terminate();
    if (m_reader.joinable()) {
        m_reader.join();
    }
    ::close(m_stdoutFd);
    ::close(m_stderrFd);
}

void SimProcess::readOutput() {
    bool stdoutOpen = true;
    bool stderrOpen = true;
    while (stdoutOpen || stderrOpen) {
        pollfd fds[2] = {{stdoutOpen ? m_stdoutFd : -1, POLLIN, 0},
                         {stderrOpen ? m_stderrFd : -1, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        std::lock_guard lock(m_mutex);
        if (fds[0].revents != 0) {
            stdoutOpen = drain(m_stdoutFd, m_stdout);
        }
        if (fds[1].revents != 0) {
            stderrOpen = drain(m_stderrFd, m_stderr);
        }
        m_outputChanged.notify_all();
    }
    std::lock_guard lock(m_mutex);
    m_outputClosed = true;
    m_outputChanged.notify_all();
}

bool SimProcess::reap(bool block) {
    if (m_exitCode) {
        return true;
    }
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == m_pid) {
        m_exitCode = exitCodeOf(status);
        return true;
    }
    if (result < 0) {
        m_exitCode = -1;  // not our child any more; nothing left to wait for
        return true;
    }
    return false;
}

bool SimProcess::running() {
    return !reap(false);
}

void SimProcess::stop(int signal) {
    if (reap(false)) {
        return;
    }
    ::kill(m_pid, signal);
    auto deadline = std::chrono::steady_clock::now() + kEndTimeout;
    while (!reap(false)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            reap(true);
            return;
        }
        ::usleep(2000);
    }
}

void SimProcess::terminate() {
    stop(SIGTERM);
}

void SimProcess::kill() {
    stop(SIGKILL);
}

std::string SimProcess::standardError() {
    std::lock_guard lock(m_mutex);
    return m_stderr;
}

std::optional<int> SimProcess::exitCode() {
    reap(false);
    return m_exitCode;
}

SimRun runSimulatorToEnd(const std::vector<std::string>& arguments) {
    Spawned spawned = spawnSimulator(arguments);
    SimRun run;
    bool stdoutOpen = true;
    bool stderrOpen = true;
    auto deadline = std::chrono::steady_clock::now() + kEndTimeout;
    while (stdoutOpen || stderrOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd fds[2] = {{stdoutOpen ? spawned.stdoutFd : -1, POLLIN, 0},
                         {stderrOpen ? spawned.stderrFd : -1, POLLIN, 0}};
        if (::poll(fds, 2, int(left.count())) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents != 0) {
            stdoutOpen = drain(spawned.stdoutFd, run.standardOutput);
        }
        if (fds[1].revents != 0) {
            stderrOpen = drain(spawned.stderrFd, run.standardError);
        }
    }
    ::close(spawned.stdoutFd);
    ::close(spawned.stderrFd);
    bool ended = !stdoutOpen && !stderrOpen;
    if (!ended) {
        ::kill(spawned.pid, SIGKILL);
    }
    int status = 0;
    while (::waitpid(spawned.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!ended) {
        throw std::runtime_error(describeArguments(arguments) + " did not end within 5 s");
    }
    run.exitCode = exitCodeOf(status);
    return run;
}

}  // namespace testsupport
