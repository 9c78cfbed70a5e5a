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
        view.onTick([this](view::Timer timer) {
            if (timer == view::Timer::tmrVersion) {
                gauge::tickVersion(view, port, context);
            }
        });
    }

    void press() { gauge::pressGetVersion(view, port, context); }

    testsupport::FakeView view;
    testsupport::FakePort port;
    gauge::VersionQueryContext context{.portOpen = true, .transferRunning = false};
};

TEST_F(VersionQueryTest, ShowsTheRawAnswerOneSecondAfterThePress) {
    port.injectInput("stale\r\n");
    press();
    EXPECT_EQ(port.written(), "V\r");
    EXPECT_EQ(view.label(Label::lblDebug), "Getting version");
    view.advance(999);
    EXPECT_EQ(view.label(Label::lblDebug), "Getting version");
    view.advance(1);
    EXPECT_EQ(view.label(Label::lblDebug), "QORB V1.02\r\n");
    EXPECT_FALSE(view.timerRunning(view::Timer::tmrVersion));
}

TEST_F(VersionQueryTest, NoAnswerWithinTheSecondShowsEmptyAndTheNextPressDropsIt) {
    port.holdReplies(true);
    press();
    view.advance(1000);
    EXPECT_EQ(view.label(Label::lblDebug), "");
    port.releaseHeldReplies();
    view.advance(3000);
    EXPECT_EQ(view.label(Label::lblDebug), "");

    port.holdReplies(false);
    press();
    view.advance(1000);
    EXPECT_EQ(view.label(Label::lblDebug), "QORB V1.02\r\n");
}

TEST_F(VersionQueryTest, SecondPressSendsAgainAndWaitsAWholeSecondFromThen) {
    press();
    view.advance(600);
    press();
    EXPECT_EQ(port.written(), "V\rV\r");
    view.advance(999);
    EXPECT_EQ(view.label(Label::lblDebug), "Getting version");
    view.advance(1);
    EXPECT_EQ(view.label(Label::lblDebug), "QORB V1.02\r\n");
}

TEST_F(VersionQueryTest, PortNotOpenIsToldAndNotTouched) {
    port.close();
    for (bool flag : {false, true}) {
        context.portOpen = flag;
        press();
        EXPECT_EQ(view.label(Label::lblDebug), "Port not open");
        EXPECT_FALSE(view.timerRunning(view::Timer::tmrVersion));
    }
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(port.readCount(), 0);
}

TEST_F(VersionQueryTest, TransferKeepsItsRepliesAtPressAndAtTick) {
    context.transferRunning = true;
    port.injectInput("1\t2.5\r\n");
    press();
    EXPECT_EQ(view.label(Label::lblDebug), "Transfer in progress");
    EXPECT_EQ(port.written(), "");
    EXPECT_EQ(port.pending(), "1\t2.5\r\n");

    context.transferRunning = false;
    port.readAllPending();
    press();
    context.transferRunning = true;
    view.advance(1000);
    EXPECT_EQ(view.label(Label::lblDebug), "Transfer in progress");
    EXPECT_EQ(port.pending(), "QORB V1.02\r\n");
    EXPECT_FALSE(view.timerRunning(view::Timer::tmrVersion));
}

}  // namespace
