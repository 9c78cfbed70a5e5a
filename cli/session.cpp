#include "cli/session.h"

#include <QLocale>
#include <QString>

#include "cli/history_choice.h"
#include "driver/choice_file.h"
#include "pointsfile/qt_csv_style.h"
#include "settings/settings_file.h"
#include "settings/settings_folders.h"

namespace cli {

Session::Session(const Options& options, const std::string& programFolder,
                 const std::string& pointsFilePath)
    : m_options(options),
      m_view(programFolder, pointsFilePath),
      m_folders(settings::settingsFoldersFor(programFolder)),
      m_port(m_folders.linkFolders),
      m_core(m_view, m_port, m_files) {
    m_view.onTick([this](view::Timer timer) { m_core.onTimerTick(timer); });
    m_port.onInputArrived([this] { m_core.onInputArrived(); });
    m_core.choosePace(options.pace, options.gapMs);
    m_core.chooseForm(options.form, pointsfile::csvStyleOfLocale(
                                        options.csvLocale.empty()
                                            ? QLocale::system()
                                            : QLocale(QString::fromStdString(options.csvLocale))));
    m_core.chooseSummary(options.summary);
    m_core.describeDownloads(std::string(kProgramName),
                             options.port ? options.port->device : std::string());
}

Session::~Session() {
    m_view.stopTimers();
    closePort();
}

bool Session::connect(std::string& failure) {
    m_core.loadChoices(m_options.settingsFile.empty()
                           ? m_folders.readPath(settings::kSettingsFileName)
                           : m_options.settingsFile);
    applyChoices();
    m_core.onSetNewBaudRate();
    if (!m_core.portState().open) {
        failure = m_port.openFailure();
    }
    return m_core.portState().open;
}

void Session::applyChoices() {
    if (m_options.port && m_options.port->number) {
        m_view.selectListEntry(view::List::Combo1,
                               static_cast<std::int16_t>(*m_options.port->number - 1));
    }
    if (m_options.port) {
        m_port.setDevicePath(m_options.port->device);
    }
    if (m_options.baudIndex) {
        m_view.selectListEntry(view::List::Combo2, *m_options.baudIndex);
    }
    const auto choose = [this](view::CheckBox box, const std::optional<bool>& on) {
        if (on) {
            m_view.setCheckBoxValue(box, *on ? 1 : 0);
        }
    };
    choose(view::CheckBox::chkIncludeStatistics, m_options.statistics);
    choose(view::CheckBox::chkIncludeDeletedItem, m_options.deletes);
    choose(view::CheckBox::CheckUseSpaceDelimiters, m_options.spaces);
    m_core.chooseHistory(historyChoicesFor(
        m_options,
        driver::readHistoryChoices(m_files, m_folders.readPath(driver::kHistoryChoicesFileName))));
}

void Session::closePort() {
    if (m_port.isOpen()) {
        m_port.close();
    }
}

}  // namespace cli
