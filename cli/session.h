#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/console_view.h"
#include "cli/options.h"
#include "driver/window_core.h"
#include "pointsfile/file_table.h"
#include "serial/qt_serial_port.h"
#include "settings/settings_folders.h"

namespace cli {

// The window's core behind the console view: the settings read, the port chosen, probed and
// opened, the transfer at the pace the command line chose, the version query and the timers, all
// as the window has them. The window's unload is never run, so the settings are never saved.
class Session {
public:
    Session(const Options& options, const std::string& programFolder,
            const std::string& pointsFilePath = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The settings file, then the command line's choices over it, then the window's apply step.
    // False when the port cannot be opened; `failure` then says why.
    bool connect(std::string& failure);
    void pressGetMemoryPoints() { m_core.onGetMemoryPoints(); }
    void pressGetVersion() { m_core.onGetVersion(); }
    // The history file the downloads go to, and the plant database it is sent to; empty for none.
    std::string historyPath() const { return m_core.historyPath(); }
    const std::string& plantDatabase() const { return m_core.historyChoices().database; }
    // The transfer's file closed with what arrived; the close's failure, when there is one.
    std::optional<std::string> stopTransfer(std::string_view reason) {
        return m_core.transfer().stop(reason);
    }
    void closePort();

    ConsoleView& view() { return m_view; }
    pointsfile::FileTable& files() { return m_files; }
    const gauge::Transfer& transfer() const { return m_core.transfer(); }
    gauge::Transfer& transfer() { return m_core.transfer(); }

private:
    void applyChoices();

    const Options& m_options;
    ConsoleView m_view;
    settings::SettingsFolders m_folders;
    serial::QtSerialPort m_port;
    pointsfile::FileTable m_files;
    driver::WindowCore m_core;
};

}  // namespace cli
