#include "driver/window_core.h"

#include <string>

#include "driver/pace_file.h"
#include "driver/window_texts.h"
#include "gauge/version_query.h"
#include "serial/serial_port.h"
#include "settings/save_command.h"
#include "settings/settings_file.h"
#include "settings/settings_folders.h"
#include "view/view.h"

namespace driver {

WindowCore::WindowCore(view::View& view, serial::SerialPort& port, pointsfile::FileTable& files)
    : m_view(view), m_port(port), m_files(files), m_transfer(view, port, files) {}

void WindowCore::onLoad() {
    const settings::SettingsFolders folders = settings::settingsFoldersFor(m_view.programFolder());
    loadChoices(folders.readPath(settings::kSettingsFileName));
    choosePace(readPace(m_files, folders.readPath(kPaceFileName)));
    m_view.setMenuChecked(view::Menu::LineSpeedMenu, m_pace == Pace::Line);
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
    if (m_port.isOpen()) {
        m_port.close();
    }
    const settings::SettingsFolders folders = settings::settingsFoldersFor(m_view.programFolder());
    writePace(m_files, folders.writePath(kPaceFileName), m_pace);
    settings::SaveSettings(m_view, m_files, folders.writePath(settings::kSettingsFileName));
}

void WindowCore::onSetNewBaudRate() {
    serial::ApplyPortSettings(m_view, m_port, m_portState);
}

void WindowCore::onGetMemoryPoints() {
    if (m_transfer.press()) {
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
            gauge::tickVersion(m_view, m_port, {m_portState.open, m_transfer.running()});
            break;
    }
}

}  // namespace driver
