#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/kept_download.h"

namespace history {

// How many downloads the history holds, and how many of them wait for the plant database.
struct HistoryCounts {
    int downloads = 0;
    int waiting = 0;
};

// The PC's history: one SQLite file (WAL, a busy timeout, so that two programs share it), written
// in one short transaction per download and never held open through a transfer.
class LocalHistory {
public:
    enum class Access { Write, Read };

    // Write: the folders and the file are made by the first download added (an empty file is a
    // new history), the schema created or an earlier one upgraded in place. Read: nothing is ever
    // made or changed; a file that is not there yet is an empty history.
    // Throws HistoryError naming the file: not a history (never changed then), a later version
    // (never written), on a network share (never written), or why it cannot be opened.
    LocalHistory(const std::string& path, Access access);
    ~LocalHistory();
    LocalHistory(const LocalHistory&) = delete;
    LocalHistory& operator=(const LocalHistory&) = delete;

    // The download and its points in one transaction; a uid the history holds already is left as
    // it is. Throws HistoryError.
    void add(const KeptDownload& download);
    // The downloads not yet sent to the plant database, oldest first.
    std::vector<std::string> waitingUids();
    // A download with its points; nothing for a uid the history does not hold.
    std::optional<KeptDownload> read(const std::string& uid);
    // The download reached the plant database at that local time (ISO 8601 with its offset).
    void markSent(const std::string& uid, const std::string& sentAt);
    HistoryCounts counts();
    // The downloads of one characteristic, or all when none is named, in the order they were
    // pressed: their figures without their points.
    std::vector<KeptDownload> list(const std::optional<std::string>& characteristic);

    const std::string& path() const;

private:
    struct Store;
    std::unique_ptr<Store> m_store;
};

}  // namespace history
