#include "support/sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 5s;

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

std::string described(const std::vector<std::string>& arguments) {
    std::string text = "qorb-gauge-sim";
    for (const std::string& argument : arguments) {
        text += ' ' + argument;
    }
    return text;
}

// A file with no name that the child writes and this process reads from its start.
int anonymousFile() {
    char name[] = "/tmp/qorb-sim-output-XXXXXX";
    int fd = mkostemp(name, O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error(std::string("Cannot make a file for qorb-gauge-sim's output: ") +
                                 std::strerror(errno));
    }
    ::unlink(name);
    return fd;
}

std::string contentOf(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::pread(fd, buffer, sizeof buffer, off_t(text.size()))) > 0) {
        text.append(buffer, std::size_t(n));
    }
    return text;
}

}  // namespace

bool simulatorAvailable() {
    static const bool available = [] {
        const char* path = simulatorPath();
        return path != nullptr && ::access(path, X_OK) == 0 && ptyCanBeOpened();
    }();
    return available;
}

// The child gets default signal handling and an empty mask, whatever the test process has set,
// so SIGTERM and SIGINT reach the simulator's own handlers.
SimProcess::SimProcess(const std::vector<std::string>& arguments, bool waitForPty) {
    const char* path = simulatorPath();
    if (path == nullptr) {
        throw std::runtime_error("qorb-gauge-sim was not built (QORB_GAUGE_SIM_PATH is not set)");
    }
    m_stdoutFd = anonymousFile();
    m_stderrFd = anonymousFile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, m_stdoutFd, 1);
    posix_spawn_file_actions_adddup2(&actions, m_stderrFd, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv{const_cast<char*>(path)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    int result = posix_spawn(&pid, path, &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        ::close(m_stdoutFd);
        ::close(m_stderrFd);
        throw std::runtime_error("Cannot start " + std::string(path) + ": " +
                                 std::strerror(result));
    }
    m_pid = pid;
    if (!waitForPty) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::string printed;
    while ((printed = standardOutput()).find('\n') == std::string::npos && running() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(2ms);
    }
    const std::size_t end = printed.find('\n');
    if (end == std::string::npos || end == 0) {
        kill();
        const std::string error = standardError();
        ::close(m_stdoutFd);
        ::close(m_stderrFd);
        throw std::runtime_error(described(arguments) + " printed no pty path within 5 s" +
                                 (error.empty() ? std::string() : ": " + error));
    }
    m_ptyPath = printed.substr(0, end);
}

SimProcess::~SimProcess() {
    terminate();
    ::close(m_stdoutFd);
    ::close(m_stderrFd);
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
    if (result == 0) {
        return false;
    }
    // A pid that is not our child any more leaves nothing to wait for.
    m_exitCode = result != m_pid       ? -1
                 : WIFEXITED(status)   ? WEXITSTATUS(status)
                 : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                       : -1;
    return true;
}

bool SimProcess::running() {
    return !reap(false);
}

void SimProcess::stop(int signal) {
    if (reap(false)) {
        return;
    }
    ::kill(m_pid, signal);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!reap(false)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            reap(true);
            return;
        }
        std::this_thread::sleep_for(2ms);
    }
}

void SimProcess::terminate() {
    stop(SIGTERM);
}

void SimProcess::kill() {
    stop(SIGKILL);
}

std::string SimProcess::standardOutput() const {
    return contentOf(m_stdoutFd);
}

std::string SimProcess::standardError() const {
    return contentOf(m_stderrFd);
}

std::optional<int> SimProcess::exitCode() {
    reap(false);
    return m_exitCode;
}

SimRun runSimulatorToEnd(const std::vector<std::string>& arguments) {
    SimProcess sim(arguments, false);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (sim.running()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            throw std::runtime_error(described(arguments) + " did not end within 5 s");
        }
        std::this_thread::sleep_for(2ms);
    }
    return {*sim.exitCode(), sim.standardOutput(), sim.standardError()};
}

}  // namespace testsupport
