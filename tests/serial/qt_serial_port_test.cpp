#include "serial/qt_serial_port.h"

#include <QEventLoop>
#include <QTimer>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <utility>

#include "serial/port_error.h"
#include "serial/port_selection.h"
#include "support/fake_view.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

// The real port on the simulated gauge as Com 1, which at the end goes as if pulled out.
TEST(QtSerialPort, FailedOpensNameThePortAppliedGaugeAnswersAndALostLineNeverSpins) {
    if (!testsupport::simulatorAvailable()) {
        GTEST_SKIP() << "no gauge simulator or no pseudo-terminal here";
    }
    testsupport::TempFolder folder;
    testsupport::SimProcess sim(
        {"--link", folder.file("com1"), "--log", "--version-text", "V\t1.0\xB0"});
    serial::QtSerialPort port({folder.path().string()});
    std::filesystem::create_symlink(folder.file("unplugged"), folder.path() / "com3");
    const std::pair<std::int16_t, std::string> failures[] = {
        {3, "3 (" + folder.file("unplugged") + "): "}, {16, "16: no link"}, {17, "17: "}};
    for (const auto& [number, named] : failures) {  // dangling link; no link, no port; no number
        port.setPortNumber(number);
        EXPECT_THROW(port.open(), serial::PortError);
        EXPECT_NE(port.openFailure().find("Com " + named), std::string::npos) << port.openFailure();
    }

    testsupport::FakeView view;
    serial::FillPortLists(view);
    view.selectListEntry(view::List::Combo1, 0);
    view.selectListEntry(view::List::Combo2, 3);
    const int line = ::open(sim.ptyPath().c_str(), O_RDONLY | O_NOCTTY);  // before the port's own
    serial::QtSerialPort otherProgram({folder.path().string()});
    serial::PortState state;
    otherProgram.open();
    EXPECT_THROW(otherProgram.open(), serial::PortError);  // no second open of an open port
    serial::ApplyPortSettings(view, port, state);
    EXPECT_EQ(view.label(view::Label::lblPortConfigured), "Invalid port");
    EXPECT_NE(port.openFailure().find("in use by another program"), std::string::npos);
    otherProgram.close();
    serial::ApplyPortSettings(view, port, state);
    EXPECT_EQ(view.label(view::Label::lblPortConfigured), "Valid port");
    termios settings{};
    EXPECT_EQ(tcgetattr(line, &settings), 0);
    ::close(line);
    EXPECT_EQ(cfgetospeed(&settings), B38400);
    port.writeText("\t\xB0\rV\r");  // nothing added or translated either way
    ::usleep(300000);               // no event loop: the read takes what the system holds
    EXPECT_EQ(port.readAllPending(), "V\t1.0\xB0\r\n");

    sim.stop(SIGKILL);
    EXPECT_EQ(sim.errors(), "\t\xB0\nV\n");
    const std::clock_t before = std::clock();  // not a speed check: a spin keeps a core busy
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_LT(double(std::clock() - before) / CLOCKS_PER_SEC, 0.2) << "the loop spun";
    try {
        port.readAllPending();
        ADD_FAILURE() << "the lost line went unreported";
    } catch (const serial::PortError& error) {
        EXPECT_NE(std::string(error.what()).find(port.device() + "): the line was lost"),
                  std::string::npos);
    }
    EXPECT_THROW(port.writeText("V\r"), serial::PortError);  // once: now as a port not open
}

}  // namespace
