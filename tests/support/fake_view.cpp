#include "support/fake_view.h"

#include <algorithm>

#include "view/view_error.h"

namespace testsupport {

void FakeView::setCheckBoxValue(view::CheckBox box, std::int16_t value) {
    if (value < 0 || value > 2) {
        throw view::RefusedValue(view::controlName(box), value);
    }
    m_boxes[slot(box)] = value;
}

void FakeView::selectListEntry(view::List list, std::int16_t index) {
    if (index < -1 || index >= static_cast<int>(m_lists[slot(list)].size())) {
        throw view::RefusedValue(view::controlName(list), index);
    }
    m_selected[slot(list)] = index;
}

void FakeView::setProgressRange(int upper, int lower) {
    if (upper < lower) {
        throw view::RefusedValue("ProgressBar1", upper);
    }
    m_progressUpper = upper;
    m_progressLower = lower;
    m_progress = std::clamp(m_progress, lower, upper);
}

void FakeView::setProgressPosition(int position) {
    if (position < m_progressLower || position > m_progressUpper) {
        throw view::RefusedValue("ProgressBar1", position);
    }
    m_progress = position;
}

void FakeView::setTimerPeriod(view::Timer timer, int milliseconds) {
    if (milliseconds <= 0) {
        throw view::RefusedValue(view::controlName(timer), milliseconds);
    }
    m_timers[slot(timer)].period = milliseconds;
}

void FakeView::setTimerRunning(view::Timer timer, bool running) {
    TimerState& state = m_timers[slot(timer)];
    if (running && state.period <= 0) {
        throw view::RefusedValue(view::controlName(timer), state.period);
    }
    state = {state.period, running, m_now + state.period, ++m_starts};
}

void FakeView::advance(long long milliseconds) {
    const long long target = m_now + milliseconds;
    for (;;) {
        TimerState* next = nullptr;
        std::size_t nextSlot = 0;
        for (std::size_t i = 0; i < m_timers.size(); ++i) {
            TimerState& t = m_timers[i];
            if (t.running && t.due <= target &&
                (!next ||
                 std::pair(t.due, t.startOrder) < std::pair(next->due, next->startOrder))) {
                next = &t;
                nextSlot = i;
            }
        }
        if (!next) {
            break;
        }
        m_now = std::max(m_now, next->due);
        // The following tick is due before this one runs, so a handler that stops or restarts the
        // timer, or lets time pass in a box, sees it as a real timer would be.
        next->due += next->period;
        if (m_onTick) {
            m_onTick(static_cast<view::Timer>(nextSlot));
        }
    }
    m_now = std::max(m_now, target);
}

void FakeView::letTimePass(std::deque<long long>& script) {
    if (!script.empty()) {
        const long long open = script.front();
        script.pop_front();
        advance(open);
    }
}

void FakeView::showMessageBox(std::string_view text, view::MessageIcon icon) {
    m_boxesShown.push_back({std::string(text), icon});
    letTimePass(m_timeInBoxes);
}

std::optional<std::string> FakeView::nextDialogAnswer() {
    letTimePass(m_timeInDialogs);
    if (m_answers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void FakeView::unloadWindow() {
    ++m_unloadCount;
    if (m_onUnload) {
        m_onUnload();
    }
}

}  // namespace testsupport
