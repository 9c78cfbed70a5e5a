#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/kept_download.h"

namespace history {

// Which downloads a reader asks for; each filter is optional, and they combine.
struct Selection {
    std::optional<std::string> characteristic;
    // Days as "2026-12-07", inclusive, in the reader's local time zone (TZ where set).
    std::optional<std::string> since;
    std::optional<std::string> until;
    std::optional<std::string> host;
    bool completeOnly = false;
};

// A download as the list and the trend show it.
struct TrendRow {
    // Without its points. When it continues an earlier download, its figures (counted, mean,
    // standard deviation, average moving range, minimum, maximum, Cpk, Ppk, below LSL, above USL)
    // are those of its new lines only.
    KeptDownload download;
    // The uid of a download pressed earlier in the selection with the same fingerprint (the same
    // gauge memory read twice): left out of every figure and chart. Empty for none.
    std::string repeatOf;
    // The uid of the latest download pressed earlier in the selection whose memory lines this one
    // begins with, and holds more. Empty for none.
    std::string continues;
};

// Reads a history, the PC's or the plant's, never writing to it: a role that may only read is
// enough on the server. Every call throws HistoryError naming the history and why.
class HistoryReader {
public:
    virtual ~HistoryReader() = default;

    // The selected downloads, oldest first, without their points.
    virtual std::vector<KeptDownload> select(const Selection& selection) = 0;
    // The characteristics the history holds, sorted, none left out.
    virtual std::vector<std::string> characteristics() = 0;
    // A download with its points; nothing for a uid the history does not hold.
    virtual std::optional<KeptDownload> read(const std::string& uid) = 0;
    // The memory points of a download from the n-th (from 0), count of them at most, in order.
    virtual std::vector<KeptPoint> memoryPoints(const std::string& uid, int first, int count) = 0;
    // The first memory line of each download, in the order of the uids; empty for one without.
    // One memoryPoints call each unless a store does better: a server answers in one round trip.
    virtual std::vector<std::string> firstMemoryLines(const std::vector<std::string>& uids);
    // The fingerprint of a download's first `count` memory lines (of as many as it holds), as the
    // history fingerprints a whole download's. From memoryPoints unless a store does better.
    virtual std::string memoryFingerprint(const std::string& uid, int count);
    // The history as messages name it: the file's path, or the plant database's server.
    virtual std::string name() const { return "the history"; }
    // A reader of the same history with a connection of its own, for another thread; none where
    // the store gives none.
    virtual std::unique_ptr<HistoryReader> another() const { return nullptr; }
};

// The PC's history file: one that is not there, not a history or of a later version is refused,
// naming it. The plant's database by its connection string (never with a password): a server that
// cannot be reached throws PlantUnreachable (plant_reader.h), any other refusal HistoryError.
std::unique_ptr<HistoryReader> openLocalReader(const std::string& path);
std::unique_ptr<HistoryReader> openPlantReader(const std::string& connectionString);

// The selection as the list and the trend show it: repeats and continuations found, and each
// continuing download's figures made again from its new lines, as the Summary computes them with
// its own value field and its own limits.
std::vector<TrendRow> trendRows(HistoryReader& reader, const Selection& selection);

}  // namespace history
