#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/fake_view.h"
#include "view/view_error.h"

namespace {

using view::Timer;

// Every tick as the core would see it: which timer, when, and whether a message box was open.
struct Tick {
    Timer timer;
    long long at;
    bool inMessageBox = false;

    bool operator==(const Tick&) const = default;
};

void PrintTo(const Tick& t, std::ostream* os) {
    *os << view::controlName(t.timer) << "@" << t.at << (t.inMessageBox ? " in box" : "");
}

class FakeViewClock : public testing::Test {
protected:
    FakeViewClock() {
        m_view.onTick([this](Timer timer) {
            m_ticks.push_back({timer, m_view.now(), m_view.messageBoxOpen()});
            if (m_then) {
                m_then(timer);
            }
        });
    }

    void start(Timer timer, int period) {
        m_view.setTimerPeriod(timer, period);
        m_view.setTimerRunning(timer, true);
    }

    testsupport::FakeView m_view;
    std::vector<Tick> m_ticks;
    // What the core does on a tick, after it is recorded.
    std::function<void(Timer)> m_then;
};

TEST_F(FakeViewClock, FirstTickComesOnePeriodAfterTheStartThenOncePerPeriod) {
    m_view.advance(10);
    start(Timer::timerCheckData, 50);
    m_view.advance(49);
    EXPECT_TRUE(m_ticks.empty());
    m_view.advance(1);
    m_view.advance(151);
    const std::vector<Tick> expected = {{Timer::timerCheckData, 60},
                                        {Timer::timerCheckData, 110},
                                        {Timer::timerCheckData, 160},
                                        {Timer::timerCheckData, 210}};
    EXPECT_EQ(m_ticks, expected);
    EXPECT_EQ(m_view.now(), 211);
}

TEST_F(FakeViewClock, StartingAgainCountsAWholePeriodAfresh) {
    start(Timer::tmrCheckTimeout, 100);
    m_view.advance(70);
    m_view.setTimerRunning(Timer::tmrCheckTimeout, true);
    m_view.advance(99);
    EXPECT_TRUE(m_ticks.empty());
    m_view.setTimerRunning(Timer::tmrCheckTimeout, false);
    m_view.advance(500);
    EXPECT_TRUE(m_ticks.empty());
    m_view.setTimerRunning(Timer::tmrCheckTimeout, true);
    m_view.advance(100);
    const std::vector<Tick> expected = {{Timer::tmrCheckTimeout, 769}};
    EXPECT_EQ(m_ticks, expected);
}

TEST_F(FakeViewClock, TicksOfSeveralTimersComeInTimeOrder) {
    start(Timer::tmrVersion, 130);
    start(Timer::timerCheckData, 50);
    start(Timer::tmrCheckTimeout, 120);
    m_view.advance(260);
    const std::vector<Tick> expected = {
        {Timer::timerCheckData, 50},   {Timer::timerCheckData, 100}, {Timer::tmrCheckTimeout, 120},
        {Timer::tmrVersion, 130},      {Timer::timerCheckData, 150}, {Timer::timerCheckData, 200},
        {Timer::tmrCheckTimeout, 240}, {Timer::timerCheckData, 250}, {Timer::tmrVersion, 260}};
    EXPECT_EQ(m_ticks, expected);
}

// The watchdog pattern: each poll tick restarts the timeout, so it fires only once polling
// stops restarting it; a stopped timer that was due later in the same advance never fires.
TEST_F(FakeViewClock, HandlersThatStartAndStopTimersTakeEffectAtOnce) {
    start(Timer::timerCheckData, 50);
    start(Timer::tmrCheckTimeout, 120);
    m_then = [this](Timer timer) {
        if (timer == Timer::timerCheckData && m_view.now() <= 200) {
            m_view.setTimerRunning(Timer::tmrCheckTimeout, true);
        }
        if (timer == Timer::tmrCheckTimeout) {
            m_view.setTimerRunning(Timer::tmrCheckTimeout, false);
            m_view.setTimerRunning(Timer::timerCheckData, false);
        }
    };
    m_view.advance(1000);
    const std::vector<Tick> expected = {{Timer::timerCheckData, 50},  {Timer::timerCheckData, 100},
                                        {Timer::timerCheckData, 150}, {Timer::timerCheckData, 200},
                                        {Timer::timerCheckData, 250}, {Timer::timerCheckData, 300},
                                        {Timer::tmrCheckTimeout, 320}};
    EXPECT_EQ(m_ticks, expected);
    EXPECT_FALSE(m_view.timerRunning(Timer::timerCheckData));
}

TEST_F(FakeViewClock, TimePassingInAMessageBoxOrASaveDialogFiresTheTicksDueThen) {
    start(Timer::timerCheckData, 50);
    m_view.letTimePassInNextMessageBox(120);
    m_then = [this](Timer) {
        if (m_ticks.size() == 1) {
            m_view.showMessageBox("Transfer Complete", view::MessageIcon::None);
        }
    };
    m_view.advance(200);
    const std::vector<Tick> expected = {{Timer::timerCheckData, 50, false},
                                        {Timer::timerCheckData, 100, true},
                                        {Timer::timerCheckData, 150, true},
                                        {Timer::timerCheckData, 200, false}};
    EXPECT_EQ(m_ticks, expected);
    ASSERT_EQ(m_view.messageBoxes().size(), 1u);
    EXPECT_EQ(m_view.messageBoxes()[0].shownAt, 50);
    EXPECT_FALSE(m_view.messageBoxOpen());

    m_view.letTimePassInNextDialog(110);
    m_view.answerNextDialog(std::string("/tmp/MemoryPoints.txt"));
    EXPECT_EQ(m_view.askSaveFileName(view::SaveDialog::CD, {}), "/tmp/MemoryPoints.txt");
    EXPECT_EQ(m_ticks.size(), 6u);
    EXPECT_EQ(m_view.now(), 310);
    EXPECT_EQ(m_view.askSaveFileName(view::SaveDialog::CD, {}), std::nullopt);
}

TEST(FakeViewRefusal, RefusedValuesNameTheControlAndTheValue) {
    testsupport::FakeView view;
    view.addListEntry(view::List::Combo2, "9600");
    view.addListEntry(view::List::Combo2, "19200");
    view.selectListEntry(view::List::Combo2, 1);
    view.selectListEntry(view::List::Combo2, -1);
    view.setCheckBoxValue(view::CheckBox::CheckUseSpaceDelimiters, 2);

    const std::pair<std::function<void()>, std::pair<std::string, std::int64_t>> refusals[] = {
        {[&] { view.setCheckBoxValue(view::CheckBox::chkIncludeDeletedItem, 3); },
         {"chkIncludeDeletedItem", 3}},
        {[&] { view.setCheckBoxValue(view::CheckBox::chkIncludeStatistics, -1); },
         {"chkIncludeStatistics", -1}},
        {[&] { view.selectListEntry(view::List::Combo2, 2); }, {"Combo2", 2}},
        {[&] { view.selectListEntry(view::List::Combo1, 0); }, {"Combo1", 0}},
        {[&] { view.selectListEntry(view::List::Combo1, -2); }, {"Combo1", -2}},
    };
    for (const auto& [action, refused] : refusals) {
        try {
            action();
            ADD_FAILURE() << refused.first << " took " << refused.second;
        } catch (const view::RefusedValue& e) {
            EXPECT_EQ(e.control(), refused.first);
            EXPECT_EQ(e.value(), refused.second);
            const std::string message = e.what();
            EXPECT_NE(message.find(refused.first), std::string::npos) << message;
            EXPECT_NE(message.find(std::to_string(refused.second)), std::string::npos) << message;
        }
    }
    EXPECT_EQ(view.selectedListIndex(view::List::Combo2), -1);
    EXPECT_EQ(view.checkBoxValue(view::CheckBox::CheckUseSpaceDelimiters), 2);
    EXPECT_EQ(view.checkBoxValue(view::CheckBox::chkIncludeDeletedItem), 0);
}

}  // namespace
