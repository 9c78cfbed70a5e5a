#include "support/sim_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "support/pty_end.h"

#ifndef QORB_GAUGE_SIM_PATH
#define QORB_GAUGE_SIM_PATH ""  // not built: never available
#endif

namespace testsupport {
namespace {

std::string contentOf(int fd) {
    std::string text(std::size_t(std::max<off_t>(::lseek(fd, 0, SEEK_END), 0)), '\0');
    text.resize(std::size_t(std::max<ssize_t>(::pread(fd, text.data(), text.size(), 0), 0)));
    return text;
}

// Polls for about 5 s at most.
template <typename Condition>
void waitFor(Condition condition) {
    for (int i = 0; i < 2500 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

bool simulatorAvailable() {
    return ::access(QORB_GAUGE_SIM_PATH, X_OK) == 0 && PtyEnd::fresh() != nullptr;
}

SimProcess::SimProcess(const std::vector<std::string>& arguments)
    : m_output(::open(P_tmpdir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600)),
      m_errors(::open(P_tmpdir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600)) {
    std::vector<char*> argv{const_cast<char*>(QORB_GAUGE_SIM_PATH)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    if (m_output >= 0 && m_errors >= 0 && (m_pid = ::fork()) == 0) {
        // Async-signal-safe calls only. An empty mask: the simulator's handlers must see SIGTERM.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::dup2(::open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
        ::dup2(m_output, 1);
        ::dup2(m_errors, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    waitFor([this] { return contentOf(m_output).find('\n') != std::string::npos || !running(); });
    const std::string printed = contentOf(m_output);
    m_ptyPath = printed.substr(0, printed.find('\n'));
    if (m_ptyPath.empty() || m_ptyPath.size() == printed.size()) {
        const std::string error = standardError();
        release();
        throw std::runtime_error("qorb-gauge-sim did not start or gave no pty: " + error);
    }
}

void SimProcess::release() {
    stop(SIGTERM);
    ::close(m_output);
    ::close(m_errors);
}

bool SimProcess::running() {
    // Once reaped, its number may soon be another process's.
    m_pid = m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0 ? m_pid : -1;
    return m_pid > 0;
}

void SimProcess::stop(int signal) {
    for (const int sent : {signal, SIGKILL}) {
        if (running()) {
            ::kill(m_pid, sent);
            waitFor([this] { return !running(); });
        }
    }
}

std::string SimProcess::standardError() const {
    return contentOf(m_errors);
}

}  // namespace testsupport
