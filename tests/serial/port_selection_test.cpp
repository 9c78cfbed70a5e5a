#include "serial/port_selection.h"

#include <gtest/gtest.h>

#include "support/fake_port.h"
#include "support/fake_view.h"

namespace {

using view::List;

// Can let another program take the port between the probe and the final open.
class RacedPort : public testsupport::FakePort {
public:
    void open() override {
        setHeldByAnotherProgram(m_takenAfterProbe && openCount() == 1);
        FakePort::open();
    }
    bool m_takenAfterProbe = false;
};

class PortSelectionTest : public testing::Test {
protected:
    PortSelectionTest() { serial::FillPortLists(view); }

    void apply(std::int16_t portIndex, std::int16_t baudIndex) {
        view.selectListEntry(List::Combo1, portIndex);
        view.selectListEntry(List::Combo2, baudIndex);
        serial::ApplyPortSettings(view, port, state);
    }
    void expectInvalid() const {
        EXPECT_EQ(view.label(view::Label::lblPortConfigured), "Invalid port");
        EXPECT_FALSE(state.valid || state.open || port.isOpen());
    }

    testsupport::FakeView view;
    RacedPort port;
    serial::PortState state;
};

TEST_F(PortSelectionTest, GoodApplyProbesThenOpensAndStartsThePoll) {
    apply(15, 5);
    EXPECT_EQ(view.entries(List::Combo1)[15], "Com 16");
    EXPECT_EQ(port.portNumber(), 16);
    EXPECT_EQ(port.lineSettings(), serial::parseLineSettings("115200,n,8,1"));
    EXPECT_EQ(port.integerOption(), 0);
    EXPECT_EQ(view.label(view::Label::lblPortConfigured), "Valid port");
    EXPECT_TRUE(state.valid && state.open && port.isOpen());
    EXPECT_EQ(port.openCount(), 2);
    EXPECT_TRUE(view.timerRunning(view::Timer::timerCheckData));
    EXPECT_EQ(view.timerPeriod(view::Timer::timerCheckData), 50);
}

TEST_F(PortSelectionTest, ReapplyClosesAndReopensAndNoBaudSelectionKeepsTheRate) {
    apply(0, 0);
    apply(6, -1);
    EXPECT_EQ(port.lineSettings(), serial::parseLineSettings("4800,n,8,1"));
    EXPECT_EQ(port.portNumber(), 7);
    EXPECT_EQ(port.openCount(), 4);
    EXPECT_EQ(port.closeCount(), 3);
    EXPECT_TRUE(state.valid && state.open && port.isOpen());
}

TEST_F(PortSelectionTest, MissingHeldUnselectedOrRacedPortIsInvalid) {
    port.setPortExists(false);
    apply(0, 3);
    expectInvalid();
    port.setPortExists(true);
    port.m_takenAfterProbe = true;
    apply(0, 3);
    expectInvalid();
    EXPECT_FALSE(view.timerRunning(view::Timer::timerCheckData));
    port.m_takenAfterProbe = false;
    apply(0, 3);
    apply(-1, 3);  // a failed apply after a good one closes the port and keeps the poll
    expectInvalid();
    EXPECT_TRUE(view.timerRunning(view::Timer::timerCheckData));
}

}  // namespace
