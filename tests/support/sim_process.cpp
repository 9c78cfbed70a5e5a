#include "support/sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace testsupport {
namespace {

#ifdef QORB_GAUGE_SIM_PATH
constexpr const char* kSimulator = QORB_GAUGE_SIM_PATH;
#else
constexpr const char* kSimulator = nullptr;
#endif

std::string contentOf(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::pread(fd, buffer, sizeof buffer, off_t(text.size()))) > 0;) {
        text.append(buffer, std::size_t(n));
    }
    return text;
}

// Polls for at most 5 s until the condition holds.
template <typename Condition>
bool waitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

}  // namespace

bool simulatorAvailable() {
    static const bool available = [] {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        const bool pty = master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0;
        ::close(master);
        return kSimulator != nullptr && ::access(kSimulator, X_OK) == 0 && pty;
    }();
    return available;
}

SimProcess::SimProcess(const std::vector<std::string>& arguments, bool waitForPty) {
    if (kSimulator == nullptr) {
        throw std::runtime_error("qorb-gauge-sim was not built (QORB_GAUGE_SIM_PATH is not set)");
    }
    m_stdoutFd = ::open(P_tmpdir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    m_stderrFd = ::open(P_tmpdir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    std::vector<char*> argv{const_cast<char*>(kSimulator)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    if (m_stdoutFd < 0 || m_stderrFd < 0 || (m_pid = ::fork()) < 0) {
        const int error = errno;
        ::close(m_stdoutFd);
        ::close(m_stderrFd);
        throw std::runtime_error(std::string("Cannot start qorb-gauge-sim: ") +
                                 std::strerror(error));
    }
    if (m_pid == 0) {
        // Only async-signal-safe calls here. Default signal handling and an empty mask, whatever
        // the test process has set, so SIGTERM and SIGINT reach the simulator's own handlers.
        for (int number : {SIGTERM, SIGINT, SIGPIPE}) {
            ::signal(number, SIG_DFL);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::dup2(input, 0);
        ::dup2(m_stdoutFd, 1);
        ::dup2(m_stderrFd, 2);
        ::execv(kSimulator, argv.data());
        ::_exit(127);
    }
    if (waitForPty) {
        waitFor([this] { return standardOutput().find('\n') != std::string::npos || !running(); });
        const std::string printed = standardOutput();
        if (printed.find('\n') == std::string::npos || printed[0] == '\n') {
            kill();
            const std::string error = standardError();
            ::close(m_stdoutFd);
            ::close(m_stderrFd);
            throw std::runtime_error("qorb-gauge-sim printed no pty path: " + error);
        }
        m_ptyPath = printed.substr(0, printed.find('\n'));
    }
}

SimProcess::~SimProcess() {
    terminate();
    ::close(m_stdoutFd);
    ::close(m_stderrFd);
}

std::optional<int> SimProcess::exitCode() {
    int status = 0;
    for (pid_t result; !m_exitCode && (result = ::waitpid(m_pid, &status, WNOHANG)) != 0;) {
        if (result > 0 || errno != EINTR) {
            m_exitCode = result != m_pid       ? -1
                         : WIFEXITED(status)   ? WEXITSTATUS(status)
                         : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                               : -1;
        }
    }
    return m_exitCode;
}

void SimProcess::stop(int signal) {
    if (running()) {
        ::kill(m_pid, signal);
        if (!waitFor([this] { return !running(); })) {
            ::kill(m_pid, SIGKILL);
            waitFor([this] { return !running(); });
        }
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

SimRun runSimulatorToEnd(const std::vector<std::string>& arguments) {
    SimProcess sim(arguments, false);
    if (!waitFor([&sim] { return !sim.running(); })) {
        throw std::runtime_error("qorb-gauge-sim did not end within 5 s");
    }
    return {*sim.exitCode(), sim.standardOutput(), sim.standardError()};
}

}  // namespace testsupport
