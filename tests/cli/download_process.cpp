#include "cli/download_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "support/temp_folder.h"

extern char** environ;

namespace clitest {

DownloadProcess::DownloadProcess(const std::vector<std::string>& arguments,
                                 const std::string& folder, const std::string& program,
                                 const std::string& terminal)
    : m_output(folder + "/output") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (m_output + ".out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string err = terminal.empty() ? m_output + ".err" : terminal;
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const int failed = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("Cannot start " + program);
    }
}

DownloadProcess::~DownloadProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void DownloadProcess::signal(int number) const {
    ::kill(m_pid, number);
}

int DownloadProcess::wait() {
    int status = 0;
    for (int waited = 0; ::waitpid(m_pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 3000) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string DownloadProcess::out() const {
    return testsupport::readBytes(m_output + ".out");
}

std::string DownloadProcess::err() const {
    return testsupport::readBytes(m_output + ".err");
}

}  // namespace clitest
