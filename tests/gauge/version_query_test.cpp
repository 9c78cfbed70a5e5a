#include "gauge/version_query.h"

#include <gtest/gtest.h>

#include "support/fake_port.h"
#include "support/fake_view.h"

namespace {

// Each press drops what came before it, sends again and waits a whole second from then; what
// comes after the second is not shown. The line is left alone while the port is not open or a
// transfer runs, even when the transfer starts during the wait.
TEST(VersionQuery, ShowsTheRawAnswerOneSecondAfterTheLastPressWhenTheLineIsFree) {
    testsupport::FakeView view;
    testsupport::FakePort port;
    gauge::VersionQueryContext context{.portOpen = true, .transferRunning = false};
    view.onTick([&](view::Timer) { gauge::tickVersion(view, port, context); });
    const auto press = [&] { gauge::pressGetVersion(view, port, context); };
    const std::string& shown = view.label(view::Label::lblDebug);

    port.open();
    port.injectInput("1\t2.5\r\n");
    context.transferRunning = true;
    press();
    EXPECT_EQ(shown, "Transfer in progress");
    context.portOpen = false;
    press();
    EXPECT_EQ(shown, "Port not open");
    context.portOpen = true;
    port.close();  // a pulled adapter closes the port under the window's flag
    press();
    EXPECT_EQ(shown, "Port not open");
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(port.pending(), "1\t2.5\r\n");

    port.open();
    context.transferRunning = false;
    press();
    view.advance(600);
    press();
    EXPECT_EQ(port.written(), "V\rV\r");
    view.advance(999);
    EXPECT_EQ(shown, "Getting version");
    view.advance(1);
    EXPECT_EQ(shown, "QORB V1.02\r\n");
    EXPECT_FALSE(view.timerRunning(view::Timer::tmrVersion));

    gaugesim::GaugeConfig silent;
    silent.silent = true;
    port.gauge() = gaugesim::GaugeModel(silent);
    press();
    view.advance(1000);
    EXPECT_EQ(shown, "");
    port.injectInput("late\r\n");
    port.gauge() = gaugesim::GaugeModel({});
    press();
    context.transferRunning = true;
    view.advance(1000);
    EXPECT_EQ(shown, "Transfer in progress");
    EXPECT_EQ(port.pending(), "QORB V1.02\r\n");
}

}  // namespace
