#include "serial/port_selection.h"

#include <gtest/gtest.h>

#include "support/fake_port.h"
#include "support/fake_view.h"

namespace {

using view::List;

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
        EXPECT_FALSE(state.valid);
        EXPECT_FALSE(state.open);
        EXPECT_FALSE(port.isOpen());
    }

    testsupport::FakeView view;
    testsupport::FakePort port;
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
    EXPECT_TRUE(state.valid && state.open && port.isOpen());
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

TEST_F(PortSelectionTest, SecondApplyClosesAndReopensWithTheNewSettings) {
    apply(0, 1);
    apply(4, 5);
    EXPECT_EQ(port.portNumber(), 5);
    EXPECT_EQ(port.lineSettings()->baudRate, 115200);
    EXPECT_EQ(port.openCount(), 4);
    EXPECT_EQ(port.closeCount(), 3);
    EXPECT_TRUE(state.valid && state.open && port.isOpen());
}

TEST_F(PortSelectionTest, NoBaudSelectionKeepsTheLineSettingsButTakesThePort) {
    apply(0, 1);
    apply(6, -1);
    EXPECT_EQ(port.lineSettings(), serial::parseLineSettings("9600,n,8,1"));
    EXPECT_EQ(port.portNumber(), 7);
    EXPECT_TRUE(state.valid && state.open);
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

// Another program takes the port between the probe and the final open.
class PortTakenAfterProbe : public testsupport::FakePort {
public:
    void open() override {
        if (openCount() == 1) {
            setHeldByAnotherProgram(true);
        }
        FakePort::open();
    }
};

TEST(PortSelection, PortTakenAfterTheProbeEndsLikeAFailedProbe) {
    testsupport::FakeView view;
    PortTakenAfterProbe port;
    serial::PortState state;
    serial::FillPortLists(view);
    view.selectListEntry(List::Combo1, 0);
    serial::ApplyPortSettings(view, port, state);
    EXPECT_EQ(view.label(view::Label::lblPortConfigured), "Invalid port");
    EXPECT_FALSE(state.valid || state.open || port.isOpen());
    EXPECT_FALSE(view.timerRunning(view::Timer::timerCheckData));
}

}  // namespace
