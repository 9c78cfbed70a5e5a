#include "tools/sim_pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace gaugesim {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("cannot make a pseudo-terminal: " + what + ": " +
                             std::strerror(errno));
}

}  // namespace

Pty::Pty() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        fail("posix_openpt");
    }
    try {
        if (grantpt(m_master) != 0) {
            fail("grantpt");
        }
        if (unlockpt(m_master) != 0) {
            fail("unlockpt");
        }
        const char* name = ptsname(m_master);
        if (name == nullptr) {
            fail("ptsname");
        }
        m_path = name;
        m_slave = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave < 0) {
            fail("open " + m_path);
        }
        termios settings{};
        if (tcgetattr(m_slave, &settings) != 0) {
            fail("tcgetattr " + m_path);
        }
        cfmakeraw(&settings);
        if (tcsetattr(m_slave, TCSANOW, &settings) != 0) {
            fail("tcsetattr " + m_path);
        }
        int flags = fcntl(m_master, F_GETFL);
        if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0 ||
            fcntl(m_master, F_SETFD, FD_CLOEXEC) != 0) {
            fail("fcntl");
        }
    } catch (...) {
        if (m_slave >= 0) {
            ::close(m_slave);
        }
        ::close(m_master);
        throw;
    }
}

Pty::~Pty() {
    ::close(m_slave);
    ::close(m_master);
}

}  // namespace gaugesim
