#include "history/background_sender.h"

#include <filesystem>
#include <utility>

#include "history/history_error.h"
#include "history/local_history.h"
#include "pointsfile/utf8_path.h"

namespace history {

BackgroundSender::~BackgroundSender() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BackgroundSender::sendWaiting(const std::string& historyPath, const std::string& database) {
    {
        const std::lock_guard lock(m_mutex);
        m_asked = Round{historyPath, database};
        if (!m_thread.joinable()) {
            m_thread = std::thread([this] { run(); });
        }
    }
    m_wake.notify_all();
}

std::optional<SendReport> BackgroundSender::lastReport() const {
    const std::lock_guard lock(m_mutex);
    return m_lastReport;
}

void BackgroundSender::run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stopping || m_asked; });
        if (m_stopping) {
            return;
        }
        const Round round = *std::exchange(m_asked, std::nullopt);
        lock.unlock();
        SendReport report = sendWaitingFrom(round.historyPath, round.database);
        lock.lock();
        m_lastReport = std::move(report);
    }
}

SendReport sendWaitingFrom(const std::string& historyPath, const std::string& database) {
    std::error_code error;
    if (!std::filesystem::exists(pointsfile::pathOfUtf8(historyPath), error)) {
        return {};
    }
    try {
        LocalHistory local(historyPath, LocalHistory::Access::Write);
        return sendWaiting(local, database);
    } catch (const HistoryError& failure) {
        return {0, 0, failure.what()};
    }
}

}  // namespace history
