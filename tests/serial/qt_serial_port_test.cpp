#include "serial/qt_serial_port.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "serial/line_settings.h"
#include "serial/port_error.h"
#include "support/pty_end.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace serial {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Reads until `count` bytes came or two seconds passed, without running the event loop.
std::string readAtLeast(QtSerialPort& port, std::size_t count) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
        bytes += port.readAllPending();
        ::usleep(5000);
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

// The program's folder with com1 linked to a fresh pty whose far end the test holds as the gauge.
class QtSerialPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        m_gauge = testsupport::PtyEnd::fresh();
        if (!m_gauge) {
            GTEST_SKIP() << "no pseudo-terminal can be had here";
        }
        link(1, m_gauge->device());
    }
    std::string folder() const { return m_folder.path().string(); }
    void link(int number, const std::string& target) const {
        fs::create_symlink(target, m_folder.path() / ("com" + std::to_string(number)));
    }
    // What the program wrote, once the line has been quiet for 100 ms.
    std::string received() { return joined(m_gauge->readArrivals(100ms, 2s, false)); }

    testsupport::TempFolder m_folder;
    std::unique_ptr<testsupport::PtyEnd> m_gauge;
};

TEST_F(QtSerialPortOnPty, CarriesTheBytesBothWaysUnchangedAndReadsWithoutWaiting) {
    QtSerialPort port(folder());
    port.open();
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.device(), fs::canonical(m_gauge->device()).string());
    EXPECT_EQ(port.readAllPending(), "");

    // Nothing is added or translated: no line end after a command, bytes above 127 kept as is.
    port.writeText("NZ\r");
    port.writeText("MN");
    port.writeText("");
    port.writeText("\t\xB0\r");
    EXPECT_EQ(received(), "NZ\rMN\t\xB0\r");
    m_gauge->write("MEMORY\r\n");
    m_gauge->write("1\t2.5\xB0\r\n");
    EXPECT_EQ(readAtLeast(port, 16), "MEMORY\r\n1\t2.5\xB0\r\n");
    EXPECT_EQ(port.readAllPending(), "");
}

// A pseudo-terminal keeps 8 data bits and no parity whatever it is told; speed and stop bits show.
TEST_F(QtSerialPortOnPty, AppliesTheLineSettingsAtTheNextOpenAndKeepsThemOnAMalformedText) {
    QtSerialPort port(folder());
    port.setLineSettings("19200,n,8,2");
    EXPECT_THROW(port.setLineSettings("4800,n,8"), MalformedLineSettings);
    port.open();
    const termios settings = m_gauge->lineSettings();
    EXPECT_EQ(cfgetospeed(&settings), B19200);
    EXPECT_NE(settings.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(settings.c_cflag & CRTSCTS, 0u);
    port.close();

    port.setLineSettings("115200,n,8,1");
    port.open();
    const termios plain = m_gauge->lineSettings();
    EXPECT_EQ(cfgetospeed(&plain), B115200);
    EXPECT_EQ(plain.c_cflag & CSTOPB, 0u);
}

TEST_F(QtSerialPortOnPty, APortHeldOpenCannotBeOpenedAgainUntilClosed) {
    link(2, m_gauge->device());
    QtSerialPort holder(folder());
    holder.open();

    QtSerialPort sameLink(folder());
    const std::string error = portErrorOf([&] { sameLink.open(); });
    EXPECT_NE(error.find("Com 1"), std::string::npos) << error;
    EXPECT_NE(error.find(m_gauge->device()), std::string::npos) << error;
    EXPECT_NE(error.find("in use by another program"), std::string::npos) << error;
    EXPECT_FALSE(sameLink.isOpen());

    QtSerialPort otherLink(folder());
    otherLink.setPortNumber(2);
    EXPECT_THROW(otherLink.open(), PortError);
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
    EXPECT_NE(error.find("Com 3"), std::string::npos) << error;
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(port.isOpen());

    // Numbers outside 1 to 16 are kept; only the open refuses them.
    for (const std::int16_t number : {std::int16_t{0}, std::int16_t{17}}) {
        port.setPortNumber(number);
        EXPECT_EQ(port.portNumber(), number);
        EXPECT_NE(portErrorOf([&] { port.open(); }).find("Com " + std::to_string(number)),
                  std::string::npos);
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
    EXPECT_NE(portErrorOf([&] { port.readAllPending(); }).find(m_gauge->device()),
              std::string::npos);
    EXPECT_NE(portErrorOf([&] { port.writeText("V\r"); }).find(m_gauge->device()),
              std::string::npos);
    EXPECT_EQ(received(), "");
}

TEST_F(QtSerialPortOnPty, AVanishedFarEndIsReportedByTheNextWriteWithoutAnEventLoop) {
    QtSerialPort port(folder());
    port.open();
    m_gauge->close();
    const std::string lost = portErrorOf([&] {
        port.writeText("NC\r");
        port.readAllPending();
    });
    EXPECT_NE(lost.find(m_gauge->device()), std::string::npos) << lost;
    EXPECT_NE(lost.find("lost"), std::string::npos) << lost;
    EXPECT_FALSE(port.isOpen());
}

// The simulated gauge ended under an open port, with the event loop running as in the program.
TEST(QtSerialPortOnSimulator, AKilledSimulatorClosesThePortWithoutSpinningAndIsReportedOnce) {
    if (!testsupport::simulatorAvailable()) {
        GTEST_SKIP() << "the gauge simulator is not built or no pseudo-terminal can be had";
    }
    testsupport::TempFolder folder;
    testsupport::SimProcess simulator({"--link", folder.file("com1")});
    QtSerialPort port(folder.path().string());
    port.open();
    port.writeText("V\r");
    EXPECT_EQ(readAtLeast(port, 12), "QORB V1.02\r\n");
    const std::string lostDevice = port.device();
    simulator.kill();

    // Not a speed check: a port left open on a vanished far end keeps a core busy.
    const std::clock_t before = std::clock();
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_LT(double(std::clock() - before) / CLOCKS_PER_SEC, 0.2) << "the loop spun";
    EXPECT_FALSE(port.isOpen());
    const std::string lost = portErrorOf([&] { port.readAllPending(); });
    EXPECT_NE(lost.find(lostDevice), std::string::npos) << lost;
    EXPECT_NE(lost.find("lost"), std::string::npos) << lost;
    EXPECT_NE(portErrorOf([&] { port.readAllPending(); }).find("not open"), std::string::npos);
}

}  // namespace
}  // namespace serial
