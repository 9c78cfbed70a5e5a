#include "cli/send_pending.h"

#include <cstdio>
#include <filesystem>

#include "cli/history_choice.h"
#include "driver/choice_file.h"
#include "driver/history_dialog_actions.h"
#include "history/history_error.h"
#include "history/history_state.h"
#include "history/local_history.h"
#include "history/plant_database.h"
#include "pointsfile/file_table.h"
#include "pointsfile/utf8_path.h"
#include "settings/settings_folders.h"

namespace cli {

namespace {

void tell(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", std::string(kProgramName).c_str(), text.c_str());
}

}  // namespace

ExitStatus runSendPending(const Options& options, const std::string& programFolder) {
    const settings::SettingsFolders folders = settings::settingsFoldersFor(programFolder);
    pointsfile::FileTable files;
    const history::HistoryChoices choices = historyChoicesFor(
        options,
        driver::readHistoryChoices(files, folders.readPath(driver::kHistoryChoicesFileName)));
    if (choices.database.empty()) {
        throw UsageError(
            "--send-pending needs a plant database: give --database, or name one in "
            "the window's Options > Download History...");
    }
    const std::string path = driver::historyFileOf(choices, programFolder);
    std::error_code error;
    if (!std::filesystem::exists(pointsfile::pathOfUtf8(path), error)) {
        if (!options.quiet) {
            tell("nothing waits: there is no history yet at " + path);
        }
        return ExitStatus::Complete;
    }
    history::SendReport report;
    try {
        history::LocalHistory local(path, history::LocalHistory::Access::Write);
        report = history::sendWaiting(local, choices.database);
    } catch (const history::HistoryError& failure) {
        tell(failure.what());
        return ExitStatus::HistoryFailed;
    }
    if (report.waiting > 0) {
        tell(history::waitingText(report));
        return ExitStatus::ReplyTimeout;
    }
    if (!options.quiet) {
        tell(std::to_string(report.sent) + (report.sent == 1 ? " download" : " downloads") +
             " sent; nothing waits");
    }
    return ExitStatus::Complete;
}

}  // namespace cli
