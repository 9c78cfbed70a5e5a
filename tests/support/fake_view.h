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

// The window in virtual time. Timers tick exactly as real ones: first one period after the start,
// then once a period, a restart counts afresh; ticks fire in time order when advance() lets time
// pass. Message boxes and save dialogs are recorded and answered from a script, and time can be
// let pass while one is open, as Qt's nested event loop does.
class FakeView : public view::View {
public:
    struct MessageBox {
        std::string text;
        view::MessageIcon icon;
        long long shownAt;
    };
    struct DialogShown {
        view::SaveDialog dialog;
        view::SaveDialogRequest request;
    };

    FakeView();

    void setLabelText(view::Label label, std::string_view text) override;
    std::int16_t checkBoxValue(view::CheckBox checkBox) const override;
    void setCheckBoxValue(view::CheckBox checkBox, std::int16_t value) override;
    void addListEntry(view::List list, std::string_view text) override;
    void selectListEntry(view::List list, std::int16_t index) override;
    std::int16_t selectedListIndex(view::List list) const override;
    void setProgressRange(int upper, int lower) override;
    void setProgressPosition(int position) override;
    void setTimerPeriod(view::Timer timer, int milliseconds) override;
    void setTimerRunning(view::Timer timer, bool running) override;
    void showMessageBox(std::string_view text, view::MessageIcon icon) override;
    std::optional<std::string> askSaveFileName(view::SaveDialog dialog,
                                               const view::SaveDialogRequest& request) override;
    std::optional<std::string> askOpenFileName(const view::OpenDialogRequest& request) override;
    std::string programFolder() const override { return m_programFolder; }
    void unloadWindow() override;
    void endProgram() override { ++m_endCount; }

    // --- The clock.
    void onTick(std::function<void(view::Timer)> handler) { m_onTick = std::move(handler); }
    void advance(long long milliseconds);
    long long now() const { return m_now; }
    bool timerRunning(view::Timer timer) const;
    int timerPeriod(view::Timer timer) const;

    // --- Scripts for the modal calls. A dialog with no scripted answer is cancelled.
    void answerNextDialog(std::optional<std::string> path) { m_dialogAnswers.push_back(path); }
    void letTimePassInNextMessageBox(long long milliseconds) {
        m_timeInMessageBoxes.push_back(milliseconds);
    }
    void letTimePassInNextDialog(long long milliseconds) {
        m_timeInDialogs.push_back(milliseconds);
    }
    void onUnload(std::function<void()> handler) { m_onUnload = std::move(handler); }
    void setProgramFolder(std::string folder) { m_programFolder = std::move(folder); }

    // --- What the window shows and was asked.
    const std::string& label(view::Label label) const;
    const std::vector<std::string>& entries(view::List list) const;
    int progressPosition() const { return m_progressPosition; }
    int progressLower() const { return m_progressLower; }
    int progressUpper() const { return m_progressUpper; }
    const std::vector<MessageBox>& messageBoxes() const { return m_messageBoxes; }
    const std::vector<DialogShown>& dialogsShown() const { return m_dialogsShown; }
    const std::vector<view::OpenDialogRequest>& openDialogsShown() const {
        return m_openDialogsShown;
    }
    bool messageBoxOpen() const { return m_openMessageBoxes > 0; }
    int unloadCount() const { return m_unloadCount; }
    int endCount() const { return m_endCount; }

private:
    struct TimerState {
        int period = 0;
        bool running = false;
        long long due = 0;
        unsigned long long startOrder = 0;
    };
    struct ListState {
        std::vector<std::string> entries;
        std::int16_t selected = -1;
    };

    std::optional<std::string> nextDialogAnswer();
    TimerState& timer(view::Timer t) { return m_timers[static_cast<std::size_t>(t)]; }
    const TimerState& timer(view::Timer t) const { return m_timers[static_cast<std::size_t>(t)]; }

    std::array<std::string, 5> m_labels;
    std::array<std::int16_t, 3> m_checkBoxes{};
    std::array<ListState, 2> m_lists;
    std::array<TimerState, 3> m_timers;
    int m_progressLower = 0;
    int m_progressUpper = 100;
    int m_progressPosition = 0;

    long long m_now = 0;
    unsigned long long m_nextStartOrder = 1;
    std::function<void(view::Timer)> m_onTick;
    std::function<void()> m_onUnload;

    std::deque<std::optional<std::string>> m_dialogAnswers;
    std::deque<long long> m_timeInMessageBoxes;
    std::deque<long long> m_timeInDialogs;
    std::vector<MessageBox> m_messageBoxes;
    std::vector<DialogShown> m_dialogsShown;
    std::vector<view::OpenDialogRequest> m_openDialogsShown;
    int m_openMessageBoxes = 0;
    std::string m_programFolder = "/opt/qorb";
    int m_unloadCount = 0;
    int m_endCount = 0;
};

}  // namespace testsupport
