#include "history/history_keeper.h"

#include <exception>
#include <utility>

#include "history/download_facts.h"
#include "history/history_error.h"
#include "history/local_history.h"
#include "history/system_identity.h"
#include "pointsfile/file_table.h"

namespace history {

std::optional<std::string> HistoryKeeper::keep(const pointsfile::DownloadRecord& record,
                                               const pointsfile::SummaryChoices& summary,
                                               const pointsfile::ReceivedLines& lines) {
    try {
        KeptDownload download = keptDownloadOf(record, summary, lines);
        SystemIdentity identity = systemIdentity();
        download.host = std::move(identity.host);
        download.account = std::move(identity.account);
        LocalHistory(m_path, LocalHistory::Access::Write).add(download);
    } catch (const HistoryError& error) {
        return notKeptMessage(m_path, error.reason(), record.file);
    } catch (const std::exception& error) {
        // Whatever else fails (memory, the clock), the download's file is written already.
        return notKeptMessage(m_path, error.what(), record.file);
    }
    if (m_afterKept) {
        m_afterKept();
    }
    return std::nullopt;
}

std::string notKeptMessage(const std::string& historyPath, const std::string& reason,
                           const std::string& pointsFile) {
    const std::string where = pointsFile == pointsfile::kStandardOutputName
                                  ? "They went to standard output."
                                  : "Its points are in " + pointsFile + ".";
    return std::string(kNotKeptStart) + historyPath + ": " + reason + ". " + where;
}

}  // namespace history
