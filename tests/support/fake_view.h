#pragma once

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "view/view.h"
#include "view/view_error.h"

namespace testsupport {

// The window in virtual time: timers tick as real ones do, in order, as advance() lets time pass;
// boxes and dialogs are recorded and answered from a script. Refuses what real controls refuse.
class FakeView : public view::View {
public:
    struct MessageBox {
        std::string text;
        view::MessageIcon icon;
    };

    void setLabelText(view::Label which, std::string_view text) override {
        m_labels[slot(which)] = text;
    }
    std::int16_t checkBoxValue(view::CheckBox box) const override { return m_boxes[slot(box)]; }
    void setCheckBoxValue(view::CheckBox box, std::int16_t value) override {
        refuseUnless(value >= 0 && value <= 2, box, value);
        m_boxes[slot(box)] = value;
    }
    void addListEntry(view::List which, std::string_view text) override {
        m_lists[slot(which)].emplace_back(text);
    }
    void selectListEntry(view::List list, std::int16_t index) override {
        refuseUnless(index >= -1 && index < std::ssize(m_lists[slot(list)]), list, index);
        m_selected[slot(list)] = index;
    }
    std::int16_t selectedListIndex(view::List list) const override {
        return m_selected[slot(list)];
    }
    void setProgressRange(int upper, int lower) override {
        if (upper < lower) {
            throw view::RefusedValue("ProgressBar1", upper);
        }
        m_progressUpper = upper;
        m_progressLower = lower;
        m_progress = std::clamp(m_progress, lower, upper);
    }
    void setProgressPosition(int position) override {
        if (position < m_progressLower || position > m_progressUpper) {
            throw view::RefusedValue("ProgressBar1", position);
        }
        m_progress = position;
    }
    void setTimerPeriod(view::Timer timer, int milliseconds) override {
        refuseUnless(milliseconds > 0, timer, milliseconds);
        m_timers[slot(timer)].period = milliseconds;
    }
    void setTimerRunning(view::Timer timer, bool running) override {
        TimerState& state = m_timers[slot(timer)];
        refuseUnless(!running || state.period > 0, timer, state.period);
        state = {state.period, running, {m_now + state.period, ++m_starts}};
    }
    void setMenuChecked(view::Menu /*menu*/, bool /*checked*/) override {}
    void showMessageBox(std::string_view text, view::MessageIcon icon) override {
        m_boxesShown.push_back({std::string(text), icon});
        advance(std::exchange(m_timeInNextModal, 0));
    }
    std::optional<std::string> askSaveFileName(view::SaveDialog /*dialog*/,
                                               const view::SaveDialogRequest& request) override {
        m_offeredName = request.defaultName;
        return askOpenFileName({});
    }
    std::optional<std::string> askOpenFileName(
        const view::OpenDialogRequest& /*request*/) override {
        advance(std::exchange(m_timeInNextModal, 0));
        if (m_answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> answer = std::move(m_answers.front());
        m_answers.pop_front();
        return answer;
    }
    std::optional<pointsfile::SummaryChoices> askToleranceLimits(
        const pointsfile::SummaryChoices& current) override {
        m_limitsShown = current;
        advance(std::exchange(m_timeInNextModal, 0));
        return std::exchange(m_limitsAnswer, std::nullopt);
    }
    std::optional<history::HistoryChoices> askHistoryChoices(
        const history::HistoryChoices& current, view::HistoryDialogActions& actions) override {
        m_historyStateShown = actions.stateOf(current);
        advance(std::exchange(m_timeInNextModal, 0));
        std::optional<history::HistoryChoices> answer = std::exchange(m_historyAnswer, {});
        // OK is refused as the window refuses it: the dialog stays open until cancelled.
        if (answer && !actions.refusalOf(*answer).empty()) {
            m_historyStateShown = actions.refusalOf(*answer);
            return std::nullopt;
        }
        return answer;
    }
    std::string programFolder() const override { return "/opt/qorb"; }
    // The name the last save dialog offered.
    const std::string& offeredName() const { return m_offeredName; }
    void unloadWindow() override {}
    void endProgram() override {}

    void onTick(std::function<void(view::Timer)> handler) { m_onTick = std::move(handler); }
    void advance(long long milliseconds) {
        const long long target = m_now + milliseconds;
        const auto dueBy = [target](const auto& t) { return t.running && t.due.first <= target; };
        const auto earlier = [&](const TimerState& a, const TimerState& b) {
            return dueBy(a) != dueBy(b) ? dueBy(a) : a.due < b.due;
        };
        for (;;) {
            const auto next = std::min_element(m_timers.begin(), m_timers.end(), earlier);
            if (!dueBy(*next)) {
                break;
            }
            m_now = std::max(m_now, next->due.first);
            // Set before the handler runs, which may stop or restart the timer or let time pass.
            next->due.first += next->period;
            m_onTick(static_cast<view::Timer>(next - m_timers.begin()));
        }
        m_now = std::max(m_now, target);
    }
    bool timerRunning(view::Timer timer) const { return m_timers[slot(timer)].running; }

    // A dialog with no answer is cancelled; time may pass in a modal call, as in Qt's nested loop.
    void answerNextDialog(std::optional<std::string> path) { m_answers.push_back(std::move(path)); }
    void letTimePassInNextModal(long long ms) { m_timeInNextModal = ms; }
    // The next Tolerance Limits dialog takes these; without them it is cancelled.
    void answerLimitsDialog(const pointsfile::SummaryChoices& limits) { m_limitsAnswer = limits; }
    // What the last Tolerance Limits dialog was filled with.
    const pointsfile::SummaryChoices& limitsShown() const { return m_limitsShown; }
    // The next Download History dialog takes these; without them it is cancelled.
    void answerHistoryDialog(const history::HistoryChoices& choices) { m_historyAnswer = choices; }
    // What the last Download History dialog's state label said last.
    const std::string& historyStateShown() const { return m_historyStateShown; }

    const std::string& label(view::Label which) const { return m_labels[slot(which)]; }
    int progressPosition() const { return m_progress; }
    int progressUpper() const { return m_progressUpper; }
    const std::vector<MessageBox>& messageBoxes() const { return m_boxesShown; }

private:
    struct TimerState {
        int period = 0;
        bool running = false;
        // When it ticks next; of two due at once, the one started first ticks first.
        std::pair<long long, unsigned long long> due{};
    };
    template <typename Enum>
    static std::size_t slot(Enum e) {
        return static_cast<std::size_t>(e);
    }
    template <typename Control>
    static void refuseUnless(bool accepted, Control control, std::int64_t value) {
        if (!accepted) {
            throw view::RefusedValue(view::controlName(control), value);
        }
    }

    std::array<std::string, 5> m_labels;
    std::array<std::int16_t, 3> m_boxes{};
    std::array<std::vector<std::string>, 2> m_lists;
    std::array<std::int16_t, 2> m_selected{-1, -1};
    std::array<TimerState, 4> m_timers;
    int m_progressLower = 0;
    int m_progressUpper = 100;
    int m_progress = 0;
    long long m_now = 0;
    unsigned long long m_starts = 0;
    std::function<void(view::Timer)> m_onTick = [](view::Timer) {};
    std::deque<std::optional<std::string>> m_answers;
    long long m_timeInNextModal = 0;
    std::vector<MessageBox> m_boxesShown;
    std::string m_offeredName;
    std::optional<pointsfile::SummaryChoices> m_limitsAnswer;
    pointsfile::SummaryChoices m_limitsShown;
    std::optional<history::HistoryChoices> m_historyAnswer;
    std::string m_historyStateShown;
};

}  // namespace testsupport
