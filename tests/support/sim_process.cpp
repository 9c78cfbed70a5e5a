#include "support/sim_process.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

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

template <typename Condition>
void waitFor(Condition condition, int milliseconds) {
    for (int i = 0; i < milliseconds / 2 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

int unnamedFile() {
    return ::open(P_tmpdir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

}  // namespace

bool simulatorAvailable() {
    const int pty = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::close(pty);
    return ::access(QORB_GAUGE_SIM_PATH, X_OK) == 0 && pty >= 0;
}

Process::Process(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& errorDevice)
    : m_output(unnamedFile()),
      m_errors(errorDevice.empty() ? unnamedFile()
                                   : ::open(errorDevice.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC)) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    if (m_output >= 0 && m_errors >= 0 && (m_pid = ::fork()) == 0) {
        // Async-signal-safe calls only. An empty mask: the program's handlers must see SIGTERM.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::dup2(::open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
        ::dup2(m_output, 1);
        ::dup2(m_errors, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

Process::~Process() {
    stop(SIGTERM);
    ::close(m_output);
    ::close(m_errors);
}

bool Process::running() {
    int status = 0;
    const pid_t reaped = m_pid > 0 ? ::waitpid(m_pid, &status, WNOHANG) : -1;
    if (reaped > 0) {
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (reaped != 0) {
        m_pid = -1;  // once reaped, its number may soon be another process's
    }
    return m_pid > 0;
}

int Process::wait() {
    waitFor([this] { return !running(); }, 30000);
    if (running()) {
        stop(SIGKILL);
        return -1;
    }
    return m_status;
}

void Process::stop(int signal) {
    for (const int sent : {signal, SIGKILL}) {
        if (running()) {
            ::kill(m_pid, sent);
            waitFor([this] { return !running(); }, 5000);
        }
    }
}

std::string Process::output() const {
    return contentOf(m_output);
}

std::string Process::errors() const {
    return contentOf(m_errors);
}

SimProcess::SimProcess(const std::vector<std::string>& arguments)
    : Process(QORB_GAUGE_SIM_PATH, arguments) {
    waitFor([this] { return output().find('\n') != std::string::npos || !running(); }, 5000);
    const std::string printed = output();
    m_ptyPath = printed.substr(0, printed.find('\n'));
    if (m_ptyPath.empty() || m_ptyPath.size() == printed.size()) {
        throw std::runtime_error("qorb-gauge-sim did not start or gave no pty: " + errors());
    }
}

}  // namespace testsupport
