#include "gauge/version_query.h"

#include <gtest/gtest.h>

#include "support/fake_port.h"
#include "support/fake_view.h"

namespace {

using view::Label;

class VersionQueryTest : public testing::Test {
protected:
    VersionQueryTest() {
        port.open();
        view.onTick([this](view::Timer) { gauge::tickVersion(view, port, context); });
    }
    void press() { gauge::pressGetVersion(view, port, context); }
    const std::string& shown() const { return view.label(Label::lblDebug); }

    testsupport::FakeView view;
    testsupport::FakePort port;
    gauge::VersionQueryContext context{.portOpen = true, .transferRunning = false};
};

// A second press sends again and waits a whole second from then; each press drops what came
// before it.
TEST_F(VersionQueryTest, ShowsTheRawAnswerOneSecondAfterTheLastPress) {
    port.injectInput("stale\r\n");
    press();
    view.advance(600);
    press();
    EXPECT_EQ(port.written(), "V\rV\r");
    view.advance(999);
    EXPECT_EQ(shown(), "Getting version");
    view.advance(1);
    EXPECT_EQ(shown(), "QORB V1.02\r\n");
    EXPECT_FALSE(view.timerRunning(view::Timer::tmrVersion));
}

TEST_F(VersionQueryTest, AnAnswerAfterTheSecondIsNotShownAndTheNextPressDropsIt) {
    gaugesim::GaugeConfig gauge;
    gauge.silent = true;
    port.gauge() = gaugesim::GaugeModel(gauge);
    press();
    view.advance(1000);
    EXPECT_EQ(shown(), "");
    port.injectInput("QORB V1.02\r\n");
    gauge.silent = false;
    gauge.versionText = "second";
    port.gauge() = gaugesim::GaugeModel(gauge);
    press();
    view.advance(1000);
    EXPECT_EQ(shown(), "second\r\n");
}

TEST_F(VersionQueryTest, PortNotOpenOrATransferRunningLeavesTheLineAlone) {
    port.injectInput("1\t2.5\r\n");
    context.transferRunning = true;
    press();
    EXPECT_EQ(shown(), "Transfer in progress");
    context.portOpen = false;
    press();
    EXPECT_EQ(shown(), "Port not open");
    context.portOpen = true;
    port.close();  // a pulled adapter closes the port under the window's flag
    press();
    EXPECT_EQ(shown(), "Port not open");
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(port.readCount(), 0);

    port.open();  // a transfer starting during the wait keeps its replies too
    context.transferRunning = false;
    press();
    context.transferRunning = true;
    view.advance(1000);
    EXPECT_EQ(shown(), "Transfer in progress");
    EXPECT_EQ(port.pending(), "QORB V1.02\r\n");
}

}  // namespace
