#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "serial/port_selection.h"
#include "serial/qt_serial_port.h"
#include "support/fake_view.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace {

using view::Label;
using view::List;

// The apply step and the probe with the real port: the simulated gauge attached through comN
// links in the program's folder.
class PortSelectionOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::simulatorAvailable()) {
            GTEST_SKIP() << "no gauge simulator or no pseudo-terminal here";
        }
        sim.emplace(std::vector<std::string>{"--link", folder.file("com1"), "--baud", "38400"});
        serial::FillPortLists(view);
        view.selectListEntry(List::Combo1, 0);
        view.selectListEntry(List::Combo2, 3);
    }

    // What the gauge answers to "V" within a second, through the port as it stands.
    std::string versionAnswer() {
        port.writeText("V\r");
        std::string answer;
        for (int i = 0; i < 100 && answer.find('\n') == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            answer += port.readAllPending();
        }
        return answer;
    }

    testsupport::TempFolder folder;
    std::optional<testsupport::SimProcess> sim;
    testsupport::FakeView view;
    serial::QtSerialPort port{folder.path().string()};
    serial::PortState state;
};

TEST_F(PortSelectionOnPty, LinkedGaugeIsAValidPortThatAnswersAlsoAfterSetNewBaudRate) {
    serial::ApplyPortSettings(view, port, state);
    EXPECT_EQ(view.label(Label::lblPortConfigured), "Valid port");
    EXPECT_TRUE(state.valid && state.open && port.isOpen());
    EXPECT_EQ(port.device(), std::filesystem::canonical(sim->ptyPath()).string());
    EXPECT_TRUE(view.timerRunning(view::Timer::timerCheckData));
    EXPECT_EQ(versionAnswer(), "QORB V1.02\r\n");

    view.selectListEntry(List::Combo2, 5);
    serial::ApplyPortSettings(view, port, state);
    EXPECT_EQ(view.label(Label::lblPortConfigured), "Valid port");
    EXPECT_EQ(port.lineSettings().baudRate, 115200);
    EXPECT_EQ(versionAnswer(), "QORB V1.02\r\n");
}

TEST_F(PortSelectionOnPty, UnusablePortsAreInvalidAndLeftClosed) {
    std::filesystem::create_symlink(folder.path() / "no-such-device", folder.path() / "com2");
    serial::QtSerialPort otherProgram(folder.path().string());
    otherProgram.setPortNumber(1);
    otherProgram.open();

    struct Case {
        const char* what;
        std::int16_t portIndex;
    };
    for (const Case& c : {Case{"held by another program", 0}, Case{"missing device", 1},
                          Case{"no port selected", -1}}) {
        SCOPED_TRACE(c.what);
        view.setLabelText(Label::lblPortConfigured, "");
        view.selectListEntry(List::Combo1, c.portIndex);
        serial::ApplyPortSettings(view, port, state);
        EXPECT_EQ(view.label(Label::lblPortConfigured), "Invalid port");
        EXPECT_FALSE(state.valid || state.open || port.isOpen());
    }

    // Once the other program lets go, the same port is valid again.
    otherProgram.close();
    view.selectListEntry(List::Combo1, 0);
    serial::ApplyPortSettings(view, port, state);
    EXPECT_EQ(view.label(Label::lblPortConfigured), "Valid port");
}

}  // namespace
