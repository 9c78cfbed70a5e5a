#pragma once

#include <string>
#include <vector>

namespace clitest {

// qorb-download run as a process, its output kept in unnamed files.
class DownloadProcess {
public:
    // `program` is qorb-download itself unless a copy of it is named.
    explicit DownloadProcess(const std::vector<std::string>& arguments,
                             const std::string& program = {});
    ~DownloadProcess();
    DownloadProcess(const DownloadProcess&) = delete;
    DownloadProcess& operator=(const DownloadProcess&) = delete;

    void signal(int number) const;
    // Its exit status, or 128 + the signal that ended it; -1 (after a SIGKILL) past 30 s.
    int wait();
    std::string standardOutput() const;
    std::string standardError() const;

private:
    int m_pid = -1;
    int m_stdoutFd = -1;
    int m_stderrFd = -1;
};

struct Ended {
    int status;
    std::string out;
    std::string err;
};

Ended runToEnd(const std::vector<std::string>& arguments, const std::string& program = {});

// The path of the qorb-download that was built.
std::string downloadProgram();

}  // namespace clitest
