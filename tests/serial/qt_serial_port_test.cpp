#include "serial/qt_serial_port.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "serial/line_settings.h"
#include "serial/port_error.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace serial {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The far end of a pseudo-terminal, standing in for the gauge: the program opens its device.
class PtyFarEnd {
public:
    PtyFarEnd() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
            closeFarEnd();
            return;
        }
        const char* name = ptsname(m_master);
        if (name == nullptr) {
            closeFarEnd();
            return;
        }
        m_device = name;
    }
    ~PtyFarEnd() { closeFarEnd(); }
    PtyFarEnd(const PtyFarEnd&) = delete;
    PtyFarEnd& operator=(const PtyFarEnd&) = delete;

    bool usable() const { return m_master >= 0; }
    const std::string& device() const { return m_device; }

    void send(const std::string& bytes) const {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    // What the program wrote, once `count` bytes came or the time ran out.
    std::string received(std::size_t count, std::chrono::milliseconds patience = 2s) const {
        std::string bytes;
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{m_master, POLLIN, 0};
            if (::poll(&ready, 1, 50) == 1 && (ready.revents & POLLIN) != 0) {
                char buffer[256];
                const ssize_t got = ::read(m_master, buffer, sizeof buffer);
                if (got > 0) {
                    bytes.append(buffer, static_cast<std::size_t>(got));
                }
            }
        }
        return bytes;
    }
    // The settings the program put on the line, as the device sees them.
    termios lineSettings() const {
        termios settings{};
        tcgetattr(m_master, &settings);
        return settings;
    }
    void closeFarEnd() {
        if (m_master >= 0) {
            ::close(m_master);
        }
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_device;
};

// Reads until `count` bytes came or two seconds passed, without running the event loop.
std::string readAtLeast(QtSerialPort& port, std::size_t count) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
        bytes += port.readAllPending();
        if (bytes.size() < count) {
            ::usleep(5000);
        }
    }
    return bytes;
}

std::string portErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PortError& error) {
        return error.what();
    }
    return "(no PortError)";
}

bool mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs the event loop for about a second and returns the CPU time the process spent meanwhile.
double cpuSecondsOverASecondOfEventLoop() {
    const std::clock_t before = std::clock();
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    return static_cast<double>(std::clock() - before) / CLOCKS_PER_SEC;
}

// The program's folder with com1 linked to a pty whose far end the test holds.
class QtSerialPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_gauge.usable()) {
            GTEST_SKIP() << "no pseudo-terminal can be had here";
        }
        link(1, m_gauge.device());
    }
    std::string folder() const { return m_folder.path().string(); }
    void link(int number, const std::string& target) const {
        const fs::path path = m_folder.path() / ("com" + std::to_string(number));
        std::error_code ignored;
        fs::remove(path, ignored);
        fs::create_symlink(target, path);
    }

    testsupport::TempFolder m_folder;
    PtyFarEnd m_gauge;
};

TEST_F(QtSerialPortOnPty, CarriesTheBytesBothWaysUnchanged) {
    QtSerialPort port(folder());
    port.open();
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.device(), fs::canonical(m_gauge.device()).string());

    port.writeText("NZ\r");
    EXPECT_EQ(m_gauge.received(3), "NZ\r");
    m_gauge.send("STATISTICS\r\n");
    EXPECT_EQ(readAtLeast(port, 12), "STATISTICS\r\n");

    // Nothing is added or translated: no line end after a command, bytes above 127 kept as is.
    port.writeText("MN");
    port.writeText("");
    port.writeText("\t\xB0\r");
    EXPECT_EQ(m_gauge.received(5), "MN\t\xB0\r");
    m_gauge.send("1\t2.5\xB0\r\n");
    EXPECT_EQ(readAtLeast(port, 8), "1\t2.5\xB0\r\n");
}

TEST_F(QtSerialPortOnPty, ReadTakesEverythingPendingAndReturnsAtOnceWhenNothingCame) {
    QtSerialPort port(folder());
    port.open();
    EXPECT_EQ(port.readAllPending(), "");
    m_gauge.send("MEMORY\r\n");
    m_gauge.send("3\r\n");
    EXPECT_EQ(readAtLeast(port, 11), "MEMORY\r\n3\r\n");
    EXPECT_EQ(port.readAllPending(), "");
}

// A pseudo-terminal keeps 8 data bits and no parity whatever it is told; speed and stop bits show.
TEST_F(QtSerialPortOnPty, AppliesTheLineSettingsAtTheNextOpenAndKeepsThemOnAMalformedText) {
    QtSerialPort port(folder());
    port.setLineSettings("19200,n,8,2");
    EXPECT_THROW(port.setLineSettings("4800,n,8"), MalformedLineSettings);
    port.open();
    const termios settings = m_gauge.lineSettings();
    EXPECT_EQ(cfgetospeed(&settings), B19200);
    EXPECT_NE(settings.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(settings.c_cflag & CRTSCTS, 0u);
    port.close();

    port.setLineSettings("115200,n,8,1");
    port.open();
    const termios plain = m_gauge.lineSettings();
    EXPECT_EQ(cfgetospeed(&plain), B115200);
    EXPECT_EQ(plain.c_cflag & CSTOPB, 0u);
}

TEST_F(QtSerialPortOnPty, APortHeldOpenCannotBeOpenedAgainUntilClosed) {
    link(2, m_gauge.device());
    QtSerialPort holder(folder());
    holder.open();

    QtSerialPort sameLink(folder());
    const std::string error = portErrorOf([&] { sameLink.open(); });
    EXPECT_TRUE(mentions(error, "Com 1")) << error;
    EXPECT_TRUE(mentions(error, m_gauge.device())) << error;
    EXPECT_TRUE(mentions(error, "in use by another program")) << error;
    EXPECT_FALSE(sameLink.isOpen());

    QtSerialPort otherLink(folder());
    otherLink.setPortNumber(2);
    EXPECT_TRUE(mentions(portErrorOf([&] { otherLink.open(); }), m_gauge.device()));
    EXPECT_FALSE(otherLink.isOpen());

    holder.close();
    otherLink.open();
    EXPECT_TRUE(otherLink.isOpen());
}

TEST_F(QtSerialPortOnPty, OpenFailsNamingThePortAndTheMissingDevice) {
    const std::string missing = folder() + "/unplugged-adapter";
    link(3, missing);
    QtSerialPort port(folder());
    port.setPortNumber(3);
    const std::string error = portErrorOf([&] { port.open(); });
    EXPECT_TRUE(mentions(error, "Com 3")) << error;
    EXPECT_TRUE(mentions(error, missing)) << error;
    EXPECT_FALSE(port.isOpen());

    // Numbers outside 1 to 16 are kept; only the open refuses them.
    for (const std::int16_t number : {std::int16_t{0}, std::int16_t{17}}) {
        port.setPortNumber(number);
        EXPECT_EQ(port.portNumber(), number);
        EXPECT_TRUE(mentions(portErrorOf([&] { port.open(); }), "Com " + std::to_string(number)));
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(QtSerialPortOnPty, ReadAndWriteOnAClosedPortRaiseNamingTheDevice) {
    QtSerialPort port(folder());
    EXPECT_EQ(portErrorOf([&] { port.readAllPending(); }),
              "Cannot read from Com 1: the port is not open");
    EXPECT_EQ(portErrorOf([&] { port.writeText("V\r"); }),
              "Cannot write to Com 1: the port is not open");

    port.open();
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(mentions(portErrorOf([&] { port.readAllPending(); }), m_gauge.device()));
    EXPECT_TRUE(mentions(portErrorOf([&] { port.writeText("V\r"); }), m_gauge.device()));
    EXPECT_EQ(m_gauge.received(1, 100ms), "");
}

TEST_F(QtSerialPortOnPty, AVanishedFarEndIsReportedByTheNextWriteWithoutAnEventLoop) {
    QtSerialPort port(folder());
    port.open();
    m_gauge.closeFarEnd();
    const std::string lost = portErrorOf([&] {
        port.writeText("NC\r");
        port.readAllPending();
    });
    EXPECT_TRUE(mentions(lost, m_gauge.device())) << lost;
    EXPECT_TRUE(mentions(lost, "lost")) << lost;
    EXPECT_FALSE(port.isOpen());
}

// The gauge simulator on a pty, linked as com1 in the program's folder.
class QtSerialPortOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "the gauge simulator is not built or no pseudo-terminal can be had";
        }
        startSimulator();
    }
    void startSimulator() {
        m_simulator.reset();
        m_simulator.emplace(std::vector<std::string>{"--link", m_folder.file("com1")});
    }
    std::string folder() const { return m_folder.path().string(); }
    const std::string& device() const { return m_simulator->ptyPath(); }

    testsupport::TempFolder m_folder;
    std::optional<testsupport::SimProcess> m_simulator;
};

TEST_F(QtSerialPortOnSimulator, ExchangesCommandsWithTheGaugeThroughItsLink) {
    QtSerialPort port(folder());
    port.open();
    EXPECT_EQ(port.device(), fs::canonical(device()).string());
    port.writeText("NZ\r");
    EXPECT_EQ(readAtLeast(port, 12), "STATISTICS\r\n");
    port.writeText("V\r");
    EXPECT_EQ(readAtLeast(port, 12), "QORB V1.02\r\n");
}

TEST_F(QtSerialPortOnSimulator, AKilledSimulatorClosesThePortWithoutSpinningAndIsReportedOnce) {
    QtSerialPort port(folder());
    port.open();
    const std::string lostDevice = port.device();
    m_simulator->kill();

    // Not a speed check: a port left open on a vanished far end keeps a core busy.
    EXPECT_LT(cpuSecondsOverASecondOfEventLoop(), 0.2) << "the event loop spun on the lost line";
    EXPECT_FALSE(port.isOpen());
    const std::string lost = portErrorOf([&] { port.readAllPending(); });
    EXPECT_TRUE(mentions(lost, lostDevice)) << lost;
    EXPECT_TRUE(mentions(lost, "lost")) << lost;
    const std::string afterwards = portErrorOf([&] { port.readAllPending(); });
    EXPECT_TRUE(mentions(afterwards, "not open")) << afterwards;
}

TEST_F(QtSerialPortOnSimulator, OpensAgainAfterTheSimulatorRestartsOnTheSameLink) {
    QtSerialPort port(folder());
    port.open();
    m_simulator->kill();
    EXPECT_THROW(port.readAllPending(), PortError);
    EXPECT_FALSE(port.isOpen());

    startSimulator();
    port.open();
    EXPECT_EQ(port.device(), fs::canonical(device()).string());
    port.writeText("V\r");
    EXPECT_EQ(readAtLeast(port, 12), "QORB V1.02\r\n");
}

}  // namespace
}  // namespace serial
