#include "cli/console_view.h"

#include <utility>

#include "view/view_error.h"

namespace cli {

namespace {

template <typename Control>
std::size_t at(Control control) {
    return static_cast<std::size_t>(control);
}

}  // namespace

ConsoleView::ConsoleView(std::string programFolder, std::string pointsFilePath)
    : m_programFolder(std::move(programFolder)), m_pointsFilePath(std::move(pointsFilePath)) {
    for (std::size_t i = 0; i < kTimers; ++i) {
        // A coarse timer may fire 5 % early, which would cut the 4000 ms watchdog short.
        m_timers[i].setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timers[i], &QTimer::timeout, [this, i] {
            if (m_onTick) {
                m_onTick(static_cast<view::Timer>(i));
            }
        });
    }
}

void ConsoleView::setLabelText(view::Label label, std::string_view text) {
    m_labels[at(label)] = std::string(text);
    if (m_onLabelText) {
        m_onLabelText(label, m_labels[at(label)]);
    }
}

const std::string& ConsoleView::labelText(view::Label label) const {
    return m_labels[at(label)];
}

std::int16_t ConsoleView::checkBoxValue(view::CheckBox checkBox) const {
    return m_checkBoxes[at(checkBox)];
}

void ConsoleView::setCheckBoxValue(view::CheckBox checkBox, std::int16_t value) {
    if (value < 0 || value > 2) {
        throw view::RefusedValue(view::controlName(checkBox), value);
    }
    m_checkBoxes[at(checkBox)] = value;
}

void ConsoleView::addListEntry(view::List list, std::string_view text) {
    m_lists[at(list)].emplace_back(text);
}

void ConsoleView::selectListEntry(view::List list, std::int16_t index) {
    if (index < -1 || index >= static_cast<int>(m_lists[at(list)].size())) {
        throw view::RefusedValue(view::controlName(list), index);
    }
    m_selected[at(list)] = index;
}

std::int16_t ConsoleView::selectedListIndex(view::List list) const {
    return m_selected[at(list)];
}

// The progress line reads the counts from the transfer itself.
void ConsoleView::setProgressRange(int /*upper*/, int /*lower*/) {}
void ConsoleView::setProgressPosition(int /*position*/) {}

void ConsoleView::setTimerPeriod(view::Timer timer, int milliseconds) {
    m_timers[at(timer)].setInterval(milliseconds);
}

void ConsoleView::setTimerRunning(view::Timer timer, bool running) {
    if (running) {
        m_timers[at(timer)].start();
    } else {
        m_timers[at(timer)].stop();
    }
}

void ConsoleView::stopTimers() {
    for (QTimer& timer : m_timers) {
        timer.stop();
    }
}

void ConsoleView::showMessageBox(std::string_view text, view::MessageIcon /*icon*/) {
    if (m_onMessage) {
        m_onMessage(std::string(text));
    }
}

std::optional<std::string> ConsoleView::askSaveFileName(
    view::SaveDialog /*dialog*/, const view::SaveDialogRequest& /*request*/) {
    return m_pointsFilePath;
}

std::optional<std::string> ConsoleView::askOpenFileName(
    const view::OpenDialogRequest& /*request*/) {
    return std::nullopt;
}

}  // namespace cli
