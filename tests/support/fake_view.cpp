#include "support/fake_view.h"

#include "view/view_error.h"

namespace testsupport {

namespace {
template <typename Enum>
std::size_t slot(Enum e) {
    return static_cast<std::size_t>(e);
}
}  // namespace

FakeView::FakeView() = default;

void FakeView::setLabelText(view::Label label, std::string_view text) {
    m_labels[slot(label)] = std::string(text);
}

std::int16_t FakeView::checkBoxValue(view::CheckBox checkBox) const {
    return m_checkBoxes[slot(checkBox)];
}

void FakeView::setCheckBoxValue(view::CheckBox checkBox, std::int16_t value) {
    if (value < 0 || value > 2) {
        throw view::RefusedValue(view::controlName(checkBox), value);
    }
    m_checkBoxes[slot(checkBox)] = value;
}

void FakeView::addListEntry(view::List list, std::string_view text) {
    m_lists[slot(list)].entries.emplace_back(text);
}

void FakeView::selectListEntry(view::List list, std::int16_t index) {
    ListState& state = m_lists[slot(list)];
    if (index < -1 || index >= static_cast<int>(state.entries.size())) {
        throw view::RefusedValue(view::controlName(list), index);
    }
    state.selected = index;
}

std::int16_t FakeView::selectedListIndex(view::List list) const {
    return m_lists[slot(list)].selected;
}

void FakeView::setProgressRange(int upper, int lower) {
    if (upper < lower) {
        throw view::RefusedValue("ProgressBar1", upper);
    }
    m_progressUpper = upper;
    m_progressLower = lower;
    if (m_progressPosition > upper) {
        m_progressPosition = upper;
    }
    if (m_progressPosition < lower) {
        m_progressPosition = lower;
    }
}

void FakeView::setProgressPosition(int position) {
    if (position < m_progressLower || position > m_progressUpper) {
        throw view::RefusedValue("ProgressBar1", position);
    }
    m_progressPosition = position;
}

void FakeView::setTimerPeriod(view::Timer t, int milliseconds) {
    if (milliseconds <= 0) {
        throw view::RefusedValue(view::controlName(t), milliseconds);
    }
    TimerState& state = timer(t);
    state.period = milliseconds;
}

void FakeView::setTimerRunning(view::Timer t, bool running) {
    TimerState& state = timer(t);
    if (running) {
        if (state.period <= 0) {
            throw view::RefusedValue(view::controlName(t), state.period);
        }
        state.running = true;
        state.due = m_now + state.period;
        state.startOrder = m_nextStartOrder++;
    } else {
        state.running = false;
    }
}

void FakeView::advance(long long milliseconds) {
    const long long target = m_now + milliseconds;
    for (;;) {
        TimerState* next = nullptr;
        view::Timer nextTimer = view::Timer::timerCheckData;
        for (std::size_t i = 0; i < m_timers.size(); ++i) {
            TimerState& candidate = m_timers[i];
            if (!candidate.running || candidate.due > target) {
                continue;
            }
            if (next == nullptr || candidate.due < next->due ||
                (candidate.due == next->due && candidate.startOrder < next->startOrder)) {
                next = &candidate;
                nextTimer = static_cast<view::Timer>(i);
            }
        }
        if (next == nullptr) {
            break;
        }
        if (next->due > m_now) {
            m_now = next->due;
        }
        // Schedule the following tick before this one runs, so a handler that stops or restarts
        // the timer, or lets time pass in a message box, sees the timer as a real one would be.
        next->due += next->period;
        if (m_onTick) {
            m_onTick(nextTimer);
        }
    }
    if (m_now < target) {
        m_now = target;
    }
}

bool FakeView::timerRunning(view::Timer t) const {
    return timer(t).running;
}

int FakeView::timerPeriod(view::Timer t) const {
    return timer(t).period;
}

void FakeView::showMessageBox(std::string_view text, view::MessageIcon icon) {
    m_messageBoxes.push_back({std::string(text), icon, m_now});
    if (!m_timeInMessageBoxes.empty()) {
        const long long open = m_timeInMessageBoxes.front();
        m_timeInMessageBoxes.pop_front();
        ++m_openMessageBoxes;
        advance(open);
        --m_openMessageBoxes;
    }
}

std::optional<std::string> FakeView::askSaveFileName(view::SaveDialog dialog,
                                                     const view::SaveDialogRequest& request) {
    m_dialogsShown.push_back({dialog, request});
    return nextDialogAnswer();
}

std::optional<std::string> FakeView::askOpenFileName(const view::OpenDialogRequest& request) {
    m_openDialogsShown.push_back(request);
    return nextDialogAnswer();
}

std::optional<std::string> FakeView::nextDialogAnswer() {
    if (!m_timeInDialogs.empty()) {
        const long long open = m_timeInDialogs.front();
        m_timeInDialogs.pop_front();
        advance(open);
    }
    if (m_dialogAnswers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = m_dialogAnswers.front();
    m_dialogAnswers.pop_front();
    return answer;
}

void FakeView::unloadWindow() {
    ++m_unloadCount;
    if (m_onUnload) {
        m_onUnload();
    }
}

const std::string& FakeView::label(view::Label label) const {
    return m_labels[slot(label)];
}

const std::vector<std::string>& FakeView::entries(view::List list) const {
    return m_lists[slot(list)].entries;
}

}  // namespace testsupport
