#pragma once

#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "view/view.h"

namespace cli {

// The window's controls without a window: what the core shows is kept for the front end to print,
// the timers are real ones on the event loop, the save dialog answers with the FILE of the command
// line and a message box is an end the front end reports.
class ConsoleView : public view::View {
public:
    ConsoleView(std::string programFolder, std::string pointsFilePath);

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
    // No menu here: the command line chooses the pace.
    void setMenuChecked(view::Menu /*menu*/, bool /*checked*/) override {}
    void showMessageBox(std::string_view text, view::MessageIcon icon) override;
    std::optional<std::string> askSaveFileName(view::SaveDialog dialog,
                                               const view::SaveDialogRequest& request) override;
    std::optional<std::string> askOpenFileName(const view::OpenDialogRequest& request) override;
    std::string programFolder() const override { return m_programFolder; }
    void unloadWindow() override {}
    void endProgram() override {}

    void onTick(std::function<void(view::Timer)> handler) { m_onTick = std::move(handler); }
    void onMessage(std::function<void(const std::string&)> handler) {
        m_onMessage = std::move(handler);
    }
    void onLabelText(std::function<void(view::Label, const std::string&)> handler) {
        m_onLabelText = std::move(handler);
    }
    void stopTimers();
    const std::string& labelText(view::Label label) const;

private:
    static constexpr std::size_t kLabels = 5;
    static constexpr std::size_t kTimers = 4;

    std::string m_programFolder;
    std::string m_pointsFilePath;
    std::array<std::string, kLabels> m_labels;
    std::array<std::int16_t, 3> m_checkBoxes{};
    std::array<std::vector<std::string>, 2> m_lists;
    std::array<std::int16_t, 2> m_selected{-1, -1};
    std::array<QTimer, kTimers> m_timers;
    std::function<void(view::Timer)> m_onTick;
    std::function<void(const std::string&)> m_onMessage;
    std::function<void(view::Label, const std::string&)> m_onLabelText;
};

}  // namespace cli
