#include "driver/history_dialog_actions.h"

#include <filesystem>
#include <optional>

#include "driver/downloads_browser.h"
#include "history/history_error.h"
#include "history/history_place.h"
#include "history/history_state.h"
#include "history/local_history.h"
#include "history/network_share.h"
#include "history/plant_database.h"
#include "history/waiting_sender.h"
#include "pointsfile/utf8_path.h"
#include "settings/settings_folders.h"

namespace driver {

std::string historyFileOf(const history::HistoryChoices& choices,
                          const std::string& programFolder) {
    return choices.file.empty() ? history::defaultHistoryPath(
                                      settings::settingsFoldersFor(programFolder), programFolder)
                                : choices.file;
}

std::string HistoryDialogActions::stateOf(const history::HistoryChoices& choices) {
    if (!choices.keep) {
        return "No history is kept: each download is in its file only.";
    }
    const std::string path = historyFileOf(choices, m_programFolder);
    const std::filesystem::path file = pointsfile::pathOfUtf8(path);
    const std::string folder = pointsfile::utf8OfPath(file.parent_path());
    if (const std::optional<std::string> share = history::networkShareOf(folder)) {
        return path + " is on " + *share +
               ", where the history cannot be written: SQLite needs a local disk. Keep the "
               "history on this PC and name a plant database to share the downloads.";
    }
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return "No downloads in the history yet; the first one makes " + path + ".";
    }
    try {
        history::LocalHistory local(path, history::LocalHistory::Access::Read);
        return history::historyStateText(local.counts(), !choices.database.empty(),
                                         m_sender ? m_sender->lastReport() : std::nullopt);
    } catch (const history::HistoryError& failure) {
        return "The history cannot be written: " + std::string(failure.what());
    }
}

std::string HistoryDialogActions::refusalOf(const history::HistoryChoices& choices) {
    if (choices.database.empty()) {
        return {};
    }
    try {
        history::checkConnectionString(choices.database);
    } catch (const history::HistoryError& refusal) {
        return refusal.reason();
    }
    return {};
}

std::string HistoryDialogActions::testConnection(const std::string& database) {
    return history::probePlantDatabase(database);
}

std::unique_ptr<view::DownloadsBrowser> HistoryDialogActions::browseDownloads(
    const history::HistoryChoices& choices) {
    return std::make_unique<DownloadsBrowser>(choices, m_programFolder, m_csv);
}

}  // namespace driver
