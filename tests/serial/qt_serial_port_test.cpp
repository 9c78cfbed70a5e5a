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

#include "serial/port_error.h"
#include "serial/port_selection.h"
#include "support/fake_view.h"
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
    for (int i = 0; i < 400 && bytes.size() < count; ++i, ::usleep(5000)) {
        bytes += port.readAllPending();
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
        fs::create_symlink(m_gauge->device(), m_folder.path() / "com1");
    }
    // What the program wrote, once the line has been quiet for 100 ms.
    std::string received() { return joined(m_gauge->readArrivals(100ms, 2s, false)); }

    testsupport::TempFolder m_folder;
    std::unique_ptr<testsupport::PtyEnd> m_gauge;
    QtSerialPort m_port{m_folder.path().string()};
};

// A pseudo-terminal keeps 8 data bits and no parity whatever it is told; speed and stop bits show.
TEST_F(QtSerialPortOnPty, OpensWithTheLineSettingsAndCarriesBytesUnchangedWithoutWaiting) {
    m_port.setLineSettings("19200,n,8,2");
    EXPECT_THROW(m_port.setLineSettings("4800,n,8"), MalformedLineSettings);
    m_port.open();
    EXPECT_EQ(m_port.device(), fs::canonical(m_gauge->device()).string());
    const termios settings = m_gauge->lineSettings();
    EXPECT_EQ(cfgetospeed(&settings), B19200);
    EXPECT_NE(settings.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(m_port.readAllPending(), "");
    // Nothing is added or translated: no line end after a command, bytes above 127 kept as is.
    m_port.writeText("NZ\r");
    m_port.writeText("\t\xB0\n");
    EXPECT_EQ(received(), "NZ\r\t\xB0\n");
    m_gauge->write("MEMORY\r\n");
    m_gauge->write("1\t2.5\xB0\r\n");
    EXPECT_EQ(readAtLeast(m_port, 16), "MEMORY\r\n1\t2.5\xB0\r\n");
}

TEST_F(QtSerialPortOnPty, FailuresNameThePortAndTheDevice) {
    EXPECT_EQ(portErrorOf([&] { m_port.readAllPending(); }),
              "Cannot read from Com 1: the port is not open");
    EXPECT_EQ(portErrorOf([&] { m_port.writeText("V\r"); }),
              "Cannot write to Com 1: the port is not open");
    const std::string missing = m_folder.file("unplugged-adapter");
    fs::create_symlink(missing, m_folder.path() / "com3");
    m_port.setPortNumber(3);
    const std::string error = portErrorOf([&] { m_port.open(); });
    EXPECT_NE(error.find("Com 3"), std::string::npos) << error;
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    for (const std::int16_t number : {16, 17}) {  // no link, no such serial port; no such number
        m_port.setPortNumber(number);
        EXPECT_NE(portErrorOf([&] { m_port.open(); }).find("Com " + std::to_string(number)),
                  std::string::npos);
    }
    EXPECT_FALSE(m_port.isOpen());

    // A far end that vanished is reported by the next write or read, event loop or not.
    m_port.setPortNumber(1);
    m_port.open();
    m_gauge->close();
    const std::string lost = portErrorOf([&] {
        m_port.writeText("NC\r");
        m_port.readAllPending();
    });
    EXPECT_NE(lost.find(m_port.device()), std::string::npos) << lost;
    EXPECT_NE(lost.find("lost"), std::string::npos) << lost;
    EXPECT_FALSE(m_port.isOpen());
}

// The apply step on the real port: the simulated gauge attached through com1.
class QtSerialPortOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "no gauge simulator or no pseudo-terminal here";
        }
        sim.emplace(std::vector<std::string>{"--link", folder.file("com1"), "--baud", "38400"});
        serial::FillPortLists(view);
        view.selectListEntry(view::List::Combo1, 0);
        view.selectListEntry(view::List::Combo2, 3);
    }
    std::string apply() {
        serial::ApplyPortSettings(view, port, state);
        return view.label(view::Label::lblPortConfigured);
    }

    testsupport::TempFolder folder;
    std::optional<testsupport::SimProcess> sim;
    testsupport::FakeView view;
    QtSerialPort port{folder.path().string()};
    PortState state;
};

TEST_F(QtSerialPortOnSimulator, AppliedGaugeAnswersAndAPortHeldElsewhereIsInvalidUntilLetGo) {
    QtSerialPort otherProgram(folder.path().string());
    otherProgram.open();
    EXPECT_EQ(apply(), "Invalid port");
    EXPECT_FALSE(port.isOpen());
    otherProgram.close();
    EXPECT_EQ(apply(), "Valid port");
    port.writeText("V\r");
    EXPECT_EQ(readAtLeast(port, 12), "QORB V1.02\r\n");
    const std::string error = portErrorOf([&] { otherProgram.open(); });
    EXPECT_NE(error.find("in use by another program"), std::string::npos) << error;
}

// The simulated gauge ended under an open port, with the event loop running as in the program.
TEST_F(QtSerialPortOnSimulator, AKilledSimulatorClosesThePortWithoutSpinningAndIsReportedOnce) {
    ASSERT_EQ(apply(), "Valid port");
    const std::string device = port.device();
    sim->kill();
    // Not a speed check: a port left open on a vanished far end keeps a core busy.
    const std::clock_t before = std::clock();
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_LT(double(std::clock() - before) / CLOCKS_PER_SEC, 0.2) << "the loop spun";
    EXPECT_FALSE(port.isOpen());
    const std::string lost = portErrorOf([&] { port.readAllPending(); });
    EXPECT_NE(lost.find(device), std::string::npos) << lost;
    EXPECT_NE(lost.find("lost"), std::string::npos) << lost;
    EXPECT_NE(portErrorOf([&] { port.readAllPending(); }).find("not open"), std::string::npos);
}

}  // namespace
}  // namespace serial
