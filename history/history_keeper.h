#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "gauge/download_keeper.h"

namespace history {

// Keeps each download in the PC's history file, in one short transaction once its file is closed,
// then lets the plant database's sender know there is something to send.
class HistoryKeeper : public gauge::DownloadKeeper {
public:
    explicit HistoryKeeper(std::string historyPath) : m_path(std::move(historyPath)) {}

    // Called after each download that reached the history.
    void afterEachKept(std::function<void()> then) { m_afterKept = std::move(then); }

    std::optional<std::string> keep(const pointsfile::DownloadRecord& record,
                                    const pointsfile::SummaryChoices& summary,
                                    const pointsfile::ReceivedLines& lines) override;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::function<void()> m_afterKept;
};

// How that message begins, for the command line's status.
inline constexpr std::string_view kNotKeptStart = "This download could not be kept in the history ";

// What the operator is told when a download could not be kept: the history, why, and where the
// points are, which is all that matters then.
std::string notKeptMessage(const std::string& historyPath, const std::string& reason,
                           const std::string& pointsFile);

}  // namespace history
