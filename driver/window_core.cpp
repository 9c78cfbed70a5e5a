#include "driver/window_core.h"

#include <optional>
#include <string>
#include <utility>

#include "driver/choice_file.h"
#include "driver/history_dialog_actions.h"
#include "driver/window_texts.h"
#include "gauge/version_query.h"
#include "history/uuid.h"
#include "serial/serial_port.h"
#include "settings/save_command.h"
#include "settings/settings_file.h"
#include "settings/settings_folders.h"
#include "view/view.h"

namespace driver {

WindowCore::WindowCore(view::View& view, serial::SerialPort& port, pointsfile::FileTable& files)
    : m_view(view), m_port(port), m_files(files), m_transfer(view, port, files) {
    m_transfer.keepDownloadsIn(nullptr, history::randomUuid);
}

void WindowCore::onLoad() {
    const settings::SettingsFolders folders = settings::settingsFoldersFor(m_view.programFolder());
    loadChoices(folders.readPath(settings::kSettingsFileName));
    choosePace(readChoice(m_files, folders.readPath(kPaceFile.name), kPaceFile) ? Pace::Line
                                                                                : Pace::Poll);
    m_view.setMenuChecked(view::Menu::LineSpeedMenu, m_pace == Pace::Line);
    onDateTimeNameMenu(readChoice(m_files, folders.readPath(kNamesFile.name), kNamesFile));
    m_view.setMenuChecked(view::Menu::DateTimeNameMenu, m_transfer.output().dateAndTimeInName);
    chooseSummary(readLimits(m_files, folders.readPath(kLimitsFileName)));
    chooseHistory(readHistoryChoices(m_files, folders.readPath(kHistoryChoicesFileName)));
    // What an earlier run could not send goes now.
    sendWaiting();
    serial::ApplyPortSettings(m_view, m_port, m_portState);
}

void WindowCore::loadChoices(const std::string& settingsPath) {
    m_transfer.startUp();
    m_portState.valid = false;
    serial::FillPortLists(m_view);
    m_view.selectListEntry(view::List::Combo1, 0);
    m_view.selectListEntry(view::List::Combo2, 0);
    settings::LoadSettings(m_view, m_files, settingsPath);
}

void WindowCore::onUnload() {
    if (m_unloaded) {
        return;
    }
    // From here on no tick may touch the port, also while the save error below is open.
    m_unloaded = true;
    // The transfer's file keeps what arrived and says how it ended; a workbook is written now.
    const std::optional<std::string> closeFailure = m_transfer.stop(kEndedByExit);
    const std::optional<std::string> historyFailure = m_transfer.takeHistoryFailure();
    if (m_port.isOpen()) {
        m_port.close();
    }
    for (const std::optional<std::string>& failure : {closeFailure, historyFailure}) {
        if (failure) {
            m_view.showMessageBox(*failure, view::MessageIcon::None);
        }
    }
    const settings::SettingsFolders folders = settings::settingsFoldersFor(m_view.programFolder());
    writeChoice(m_files, folders.writePath(kPaceFile.name), kPaceFile, m_pace == Pace::Line);
    writeChoice(m_files, folders.writePath(kNamesFile.name), kNamesFile,
                m_transfer.output().dateAndTimeInName);
    settings::SaveSettings(m_view, m_files, folders.writePath(settings::kSettingsFileName));
}

void WindowCore::onSetNewBaudRate() {
    serial::ApplyPortSettings(m_view, m_port, m_portState);
}

void WindowCore::onGetMemoryPoints() {
    pointsfile::DownloadRecord known;
    known.program = m_programName;
    known.version = QORB_VERSION;
    const std::int16_t portIndex = m_view.selectedListIndex(view::List::Combo1);
    known.port = !m_portName.empty() ? m_portName
                 : portIndex >= 0
                     ? std::string(serial::kPortEntryPrefix) + std::to_string(portIndex + 1)
                     : std::string();
    known.device = m_port.device();
    const std::int16_t baudIndex = m_view.selectedListIndex(view::List::Combo2);
    if (baudIndex >= 0 && static_cast<std::size_t>(baudIndex) < serial::kBaudEntries.size()) {
        known.baudRate = std::string(serial::kBaudEntries[static_cast<std::size_t>(baudIndex)]);
    }
    known.gaugeVersion = m_gaugeVersion;
    if (m_transfer.press(known)) {
        m_pacer.begin(m_pace, m_gapMs);
    }
}

void WindowCore::onGetVersion() {
    gauge::pressGetVersion(m_view, m_port, {m_portState.open, m_transfer.running()});
}

void WindowCore::onHelp() {
    m_view.showMessageBox(kHelpText, view::MessageIcon::None);
}

void WindowCore::onExit() {
    m_view.unloadWindow();
    m_view.endProgram();
}

void WindowCore::onSaveMenu() {
    settings::saveSettingsAs(m_view, m_files);
}

void WindowCore::onOpenMenu() {
    const std::optional<std::string> chosen =
        m_view.askOpenFileName({std::string(kOpenDialogTitle), std::string(kOpenDialogFilter)});
    if (!chosen) {
        return;
    }
    settings::LoadSettings(m_view, m_files, *chosen);
    serial::ApplyPortSettings(m_view, m_port, m_portState);
}

void WindowCore::onInfoMenu() {
    const std::string text = std::string(kProductName) + "\r\nVersion " +
                             std::string(kCaptionVersion) + "\r\nFile version " +
                             std::string(kFileVersion) + "\r\n";
    m_view.showMessageBox(text, view::MessageIcon::None);
}

void WindowCore::onLineSpeedMenu(bool checked) {
    choosePace(checked ? Pace::Line : Pace::Poll);
}

void WindowCore::onDateTimeNameMenu(bool checked) {
    pointsfile::OutputChoices output = m_transfer.output();
    output.dateAndTimeInName = checked;
    m_transfer.chooseOutput(output);
}

void WindowCore::onToleranceLimitsMenu() {
    const std::optional<pointsfile::SummaryChoices> chosen =
        m_view.askToleranceLimits(m_transfer.output().summary);
    if (!chosen) {
        return;
    }
    // Ticks ran while the dialog was open; a transfer that began before it keeps the limits it
    // began with, since its file took its own copy at the press.
    pointsfile::SummaryChoices summary = m_transfer.output().summary;
    summary.lowerLimit = chosen->lowerLimit;
    summary.upperLimit = chosen->upperLimit;
    summary.nominal = chosen->nominal;
    summary.characteristic = chosen->characteristic;
    chooseSummary(summary);
    // Written at once, not at the shut-down: typed values are worth more than a tick.
    const settings::SettingsFolders folders = settings::settingsFoldersFor(m_view.programFolder());
    writeLimits(m_files, folders.writePath(kLimitsFileName), summary);
}

void WindowCore::onDownloadHistoryMenu() {
    HistoryDialogActions actions(m_view.programFolder(), m_sender, m_transfer.output().csv);
    const std::optional<history::HistoryChoices> chosen =
        m_view.askHistoryChoices(m_historyChoices, actions);
    if (!chosen) {
        return;
    }
    chooseHistory(*chosen);
    const settings::SettingsFolders folders = settings::settingsFoldersFor(m_view.programFolder());
    writeHistoryChoices(m_files, folders.writePath(kHistoryChoicesFileName), *chosen);
    sendWaiting();
}

void WindowCore::chooseHistory(const history::HistoryChoices& choices) {
    m_historyChoices = choices;
    std::unique_ptr<history::HistoryKeeper> keeper;
    if (choices.keep) {
        keeper = std::make_unique<history::HistoryKeeper>(
            historyFileOf(choices, m_view.programFolder()));
        keeper->afterEachKept([this] { sendWaiting(); });
    }
    // The transfer takes the new keeper before the old one goes; one under way ends into it.
    m_transfer.keepDownloadsIn(keeper.get(), history::randomUuid);
    m_keeper = std::move(keeper);
}

void WindowCore::sendWaiting() {
    if (m_sender != nullptr && m_keeper && !m_historyChoices.database.empty()) {
        m_sender->sendWaiting(m_keeper->path(), m_historyChoices.database);
    }
}

void WindowCore::chooseSummary(const pointsfile::SummaryChoices& summary) {
    pointsfile::OutputChoices output = m_transfer.output();
    output.summary = summary;
    m_transfer.chooseOutput(output);
}

void WindowCore::chooseForm(std::optional<pointsfile::Form> form, pointsfile::CsvStyle csv) {
    pointsfile::OutputChoices output = m_transfer.output();
    output.form = form;
    output.csv = csv;
    m_transfer.chooseOutput(output);
}

void WindowCore::describeDownloads(std::string programName, std::string portName) {
    m_programName = std::move(programName);
    m_portName = std::move(portName);
}

void WindowCore::choosePace(Pace pace, int gapMs) {
    m_pace = pace;
    m_gapMs = gapMs;
}

void WindowCore::onInputArrived() {
    if (!m_unloaded) {
        m_pacer.inputArrived();
    }
}

void WindowCore::onTimerTick(view::Timer timer) {
    if (m_unloaded) {
        return;
    }
    switch (timer) {
        case view::Timer::timerCheckData:
            m_pacer.pollTick();
            break;
        case view::Timer::tmrReplyGap:
            m_pacer.gapTick();
            break;
        case view::Timer::tmrCheckTimeout:
            m_transfer.watchdogTick();
            break;
        case view::Timer::tmrVersion:
            if (std::optional<std::string> answer =
                    gauge::tickVersion(m_view, m_port, {m_portState.open, m_transfer.running()})) {
                // The download's record carries the answer without its line end.
                m_gaugeVersion = gauge::withoutLineEnd(std::move(*answer));
            }
            break;
    }
}

}  // namespace driver
