#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "view/view.h"

namespace testsupport {

// The window in virtual time. Timers tick as real ones do: first one period after the start, then
// once a period, a restart counts afresh, ticks in time order as advance() lets time pass. Boxes
// and dialogs are recorded and answered from a script; time may pass while one is open, as in
// Qt's nested event loop. Refuses what the real controls refuse.
class FakeView : public view::View {
public:
    struct MessageBox {
        std::string text;
        view::MessageIcon icon;
    };
    struct DialogShown {
        view::SaveDialog dialog;
        view::SaveDialogRequest request;
    };

    void setLabelText(view::Label label, std::string_view text) override {
        m_labels[slot(label)] = text;
    }
    std::int16_t checkBoxValue(view::CheckBox box) const override { return m_boxes[slot(box)]; }
    void setCheckBoxValue(view::CheckBox box, std::int16_t value) override;
    void addListEntry(view::List list, std::string_view text) override {
        m_lists[slot(list)].emplace_back(text);
    }
    void selectListEntry(view::List list, std::int16_t index) override;
    std::int16_t selectedListIndex(view::List list) const override {
        return m_selected[slot(list)];
    }
    void setProgressRange(int upper, int lower) override;
    void setProgressPosition(int position) override;
    void setTimerPeriod(view::Timer timer, int milliseconds) override;
    void setTimerRunning(view::Timer timer, bool running) override;
    void showMessageBox(std::string_view text, view::MessageIcon icon) override;
    std::optional<std::string> askSaveFileName(view::SaveDialog dialog,
                                               const view::SaveDialogRequest& request) override {
        m_dialogsShown.push_back({dialog, request});
        return nextDialogAnswer();
    }
    std::optional<std::string> askOpenFileName(const view::OpenDialogRequest& request) override {
        m_openDialogsShown.push_back(request);
        return nextDialogAnswer();
    }
    std::string programFolder() const override { return m_programFolder; }
    void unloadWindow() override;
    void endProgram() override { ++m_endCount; }

    // The clock.
    void onTick(std::function<void(view::Timer)> handler) { m_onTick = std::move(handler); }
    void advance(long long milliseconds);
    long long now() const { return m_now; }
    bool timerRunning(view::Timer timer) const { return m_timers[slot(timer)].running; }
    int timerPeriod(view::Timer timer) const { return m_timers[slot(timer)].period; }

    // Scripts for the modal calls; a dialog with no scripted answer is cancelled.
    void answerNextDialog(std::optional<std::string> path) { m_answers.push_back(path); }
    void letTimePassInNextMessageBox(long long ms) { m_timeInBoxes.push_back(ms); }
    void letTimePassInNextDialog(long long ms) { m_timeInDialogs.push_back(ms); }
    void onUnload(std::function<void()> handler) { m_onUnload = std::move(handler); }
    void setProgramFolder(std::string folder) { m_programFolder = std::move(folder); }

    // What the window shows and was asked.
    const std::string& label(view::Label label) const { return m_labels[slot(label)]; }
    const std::vector<std::string>& entries(view::List list) const { return m_lists[slot(list)]; }
    int progressPosition() const { return m_progress; }
    int progressUpper() const { return m_progressUpper; }
    const std::vector<MessageBox>& messageBoxes() const { return m_boxesShown; }
    const std::vector<DialogShown>& dialogsShown() const { return m_dialogsShown; }
    const std::vector<view::OpenDialogRequest>& openDialogsShown() const {
        return m_openDialogsShown;
    }
    int unloadCount() const { return m_unloadCount; }
    int endCount() const { return m_endCount; }

private:
    struct TimerState {
        int period = 0;
        bool running = false;
        long long due = 0;
        unsigned long long startOrder = 0;
    };
    template <typename Enum>
    static std::size_t slot(Enum e) {
        return static_cast<std::size_t>(e);
    }
    std::optional<std::string> nextDialogAnswer();
    void letTimePass(std::deque<long long>& script);

    std::array<std::string, 5> m_labels;
    std::array<std::int16_t, 3> m_boxes{};
    std::array<std::vector<std::string>, 2> m_lists;
    std::array<std::int16_t, 2> m_selected{-1, -1};
    std::array<TimerState, 3> m_timers;
    int m_progressLower = 0;
    int m_progressUpper = 100;
    int m_progress = 0;
    long long m_now = 0;
    unsigned long long m_starts = 0;
    std::function<void(view::Timer)> m_onTick;
    std::function<void()> m_onUnload;
    std::deque<std::optional<std::string>> m_answers;
    std::deque<long long> m_timeInBoxes;
    std::deque<long long> m_timeInDialogs;
    std::vector<MessageBox> m_boxesShown;
    std::vector<DialogShown> m_dialogsShown;
    std::vector<view::OpenDialogRequest> m_openDialogsShown;
    std::string m_programFolder = "/opt/qorb";
    int m_unloadCount = 0;
    int m_endCount = 0;
};

}  // namespace testsupport
