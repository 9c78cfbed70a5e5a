#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "history/waiting_sender.h"

namespace history {

// Sends on a thread of its own, so that a plant database that is slow or away never holds up the
// window; the thread has its own connection to the history file, which WAL lets it share.
class BackgroundSender : public WaitingSender {
public:
    BackgroundSender() = default;
    // Waits for a round under way to end: libpq's timeouts bound it.
    ~BackgroundSender() override;
    BackgroundSender(const BackgroundSender&) = delete;
    BackgroundSender& operator=(const BackgroundSender&) = delete;

    void sendWaiting(const std::string& historyPath, const std::string& database) override;
    std::optional<SendReport> lastReport() const override;

private:
    struct Round {
        std::string historyPath;
        std::string database;
    };

    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Round> m_asked;
    std::optional<SendReport> m_lastReport;
    bool m_stopping = false;
    std::thread m_thread;
};

// One round, on the caller's thread: nothing waits in a history that does not exist yet, which is
// left unmade; a history that cannot be opened is the round's reason.
SendReport sendWaitingFrom(const std::string& historyPath, const std::string& database);

}  // namespace history
