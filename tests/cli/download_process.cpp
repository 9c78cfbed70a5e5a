#include "cli/download_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace clitest {

namespace {

int unnamedFile() {
    char name[] = "/tmp/qorb-download-output-XXXXXX";
    const int fd = mkostemp(name, O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error("Cannot make a file for qorb-download's output");
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

std::string downloadProgram() {
    return QORB_DOWNLOAD_PATH;
}

DownloadProcess::DownloadProcess(const std::vector<std::string>& arguments,
                                 const std::string& program)
    : m_stdoutFd(unnamedFile()), m_stderrFd(unnamedFile()) {
    const std::string path = program.empty() ? downloadProgram() : program;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, m_stdoutFd, 1);
    posix_spawn_file_actions_adddup2(&actions, m_stderrFd, 2);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const int failed = posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("Cannot start " + path);
    }
}

DownloadProcess::~DownloadProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    ::close(m_stdoutFd);
    ::close(m_stderrFd);
}

void DownloadProcess::signal(int number) const {
    ::kill(m_pid, number);
}

int DownloadProcess::wait() {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string DownloadProcess::standardOutput() const {
    return contentOf(m_stdoutFd);
}

std::string DownloadProcess::standardError() const {
    return contentOf(m_stderrFd);
}

Ended runToEnd(const std::vector<std::string>& arguments, const std::string& program) {
    DownloadProcess process(arguments, program);
    const int status = process.wait();
    return {status, process.standardOutput(), process.standardError()};
}

}  // namespace clitest
