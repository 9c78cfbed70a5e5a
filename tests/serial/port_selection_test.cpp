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
        if (m_takenAfterProbe && openCount() == 1) {
            setHeldByAnotherProgram(true);
        }
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
    bool allOpen() const { return state.valid && state.open && port.isOpen(); }
    void expectInvalid() const {
        EXPECT_EQ(view.label(view::Label::lblPortConfigured), "Invalid port");
        EXPECT_FALSE(state.valid || state.open || port.isOpen());
    }

    testsupport::FakeView view;
    RacedPort port;
    serial::PortState state;
};

TEST_F(PortSelectionTest, ListsHoldTheEntriesInOrderWithNothingSelected) {
    const auto& ports = view.entries(List::Combo1);
    ASSERT_EQ(ports.size(), 16u);
    EXPECT_EQ(ports[0], "Com 1");
    EXPECT_EQ(ports[9], "Com 10");
    EXPECT_EQ(ports[15], "Com 16");
    EXPECT_EQ(view.entries(List::Combo2),
              (std::vector<std::string>{"4800", "9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(view.selectedListIndex(List::Combo1), -1);
    EXPECT_EQ(view.selectedListIndex(List::Combo2), -1);
}

TEST_F(PortSelectionTest, GoodApplyLeavesThePortOpenAndStartsThePoll) {
    apply(2, 3);
    EXPECT_EQ(port.portNumber(), 3);
    EXPECT_EQ(port.lineSettings(), serial::parseLineSettings("38400,n,8,1"));
    EXPECT_EQ(port.integerOption(), 0);
    EXPECT_EQ(view.label(view::Label::lblPortConfigured), "Valid port");
    EXPECT_TRUE(allOpen());
    EXPECT_EQ(port.openCount(), 2);
    EXPECT_TRUE(view.timerRunning(view::Timer::timerCheckData));
    EXPECT_EQ(view.timerPeriod(view::Timer::timerCheckData), 50);
}

TEST_F(PortSelectionTest, EachBaudEntryAppliesItsRate) {
    const int rates[] = {4800, 9600, 19200, 38400, 57600, 115200};
    for (std::int16_t index = 0; index < 6; ++index) {
        apply(0, index);
        ASSERT_TRUE(port.lineSettings().has_value());
        EXPECT_EQ(port.lineSettings()->baudRate, rates[index]);
    }
}

TEST_F(PortSelectionTest, ReapplyClosesAndReopensAndNoBaudSelectionKeepsTheRate) {
    apply(0, 1);
    apply(6, -1);
    EXPECT_EQ(port.lineSettings(), serial::parseLineSettings("9600,n,8,1"));
    EXPECT_EQ(port.portNumber(), 7);
    EXPECT_EQ(port.openCount(), 4);
    EXPECT_EQ(port.closeCount(), 3);
    EXPECT_TRUE(allOpen());
}

TEST_F(PortSelectionTest, MissingHeldOrUnselectedPortIsInvalid) {
    port.setPortExists(false);
    apply(0, 3);
    expectInvalid();
    port.setPortExists(true);
    port.setHeldByAnotherProgram(true);
    apply(0, 3);
    expectInvalid();
    port.setHeldByAnotherProgram(false);
    apply(-1, 3);
    expectInvalid();
    EXPECT_FALSE(view.timerRunning(view::Timer::timerCheckData));
}

TEST_F(PortSelectionTest, FailedApplyAfterAGoodOneClosesThePortAndKeepsThePoll) {
    apply(0, 3);
    apply(-1, 3);
    expectInvalid();
    EXPECT_TRUE(view.timerRunning(view::Timer::timerCheckData));
}

TEST_F(PortSelectionTest, PortTakenAfterTheProbeEndsLikeAFailedProbe) {
    port.m_takenAfterProbe = true;
    apply(0, 3);
    expectInvalid();
    EXPECT_FALSE(view.timerRunning(view::Timer::timerCheckData));
}

}  // namespace
