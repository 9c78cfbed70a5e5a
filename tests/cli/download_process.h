#pragma once

#include <string>
#include <vector>

namespace clitest {

// qorb-download (or a copy of it) run as a process; its standard output and error go to files in
// `folder`, or its standard error to a terminal's device.
class DownloadProcess {
public:
    DownloadProcess(const std::vector<std::string>& arguments, const std::string& folder,
                    const std::string& program = QORB_DOWNLOAD_PATH,
                    const std::string& terminal = {});
    ~DownloadProcess();
    DownloadProcess(const DownloadProcess&) = delete;
    DownloadProcess& operator=(const DownloadProcess&) = delete;

    void signal(int number) const;
    // Its exit status, or 128 + the signal that ended it; -1 when it is still running after 30 s.
    int wait();
    std::string out() const;
    std::string err() const;

private:
    std::string m_output;
    int m_pid = -1;
};

}  // namespace clitest
