#pragma once

#include <string>

namespace gaugesim {

// A raw pseudo-terminal. The simulator keeps its own slave end open, so a client can close and
// reopen the pty without the master ever seeing a hang-up.
class Pty {
public:
    Pty();  // throws std::runtime_error naming the call that failed
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int masterFd() const { return m_master; }
    const std::string& path() const { return m_path; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

}  // namespace gaugesim
