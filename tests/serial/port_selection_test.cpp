#include "serial/port_selection.h"

#include <gtest/gtest.h>

#include "support/fake_port.h"
#include "support/fake_view.h"

namespace {

using view::Timer;

// Can let another program take the port between the probe and the final open.
class RacedPort : public testsupport::FakePort {
public:
    void open() override {
        setHeldByAnotherProgram(m_takenAfterProbe && openCount() == 1);
        FakePort::open();
    }
    bool m_takenAfterProbe = false;
};

TEST(PortSelection, ApplyProbesThenOpensAndStartsThePollAndAFailedOpenIsInvalid) {
    testsupport::FakeView view;
    RacedPort port;
    serial::PortState state;
    serial::FillPortLists(view);
    const auto apply = [&](std::int16_t portIndex, std::int16_t baudIndex) {
        view.selectListEntry(view::List::Combo1, portIndex);
        view.selectListEntry(view::List::Combo2, baudIndex);
        serial::ApplyPortSettings(view, port, state);
        const bool valid = view.label(view::Label::lblPortConfigured) == "Valid port";
        EXPECT_TRUE(state.valid == valid && state.open == valid && port.isOpen() == valid);
        return valid;
    };
    port.m_takenAfterProbe = true;
    EXPECT_FALSE(apply(0, 3));
    EXPECT_FALSE(view.timerRunning(Timer::timerCheckData));
    port.m_takenAfterProbe = false;

    EXPECT_TRUE(apply(15, 5));
    EXPECT_EQ(port.openCount(), 3);  // the race's probe; this probe, then the open kept
    EXPECT_EQ(port.portNumber(), 16);
    EXPECT_TRUE(view.timerRunning(Timer::timerCheckData));
    EXPECT_TRUE(apply(6, -1));  // closes first (the fake refuses a second open), keeps the rate
    EXPECT_EQ(port.lineSettings(), serial::parseLineSettings("115200,n,8,1"));
    EXPECT_FALSE(apply(-1, 3));  // a failed apply after a good one closes the port, keeps the poll
    EXPECT_TRUE(view.timerRunning(Timer::timerCheckData));
}

}  // namespace
