#include <algorithm>
#include <filesystem>

#include "history/history_error.h"
#include "history/history_reader.h"
#include "history/local_file.h"
#include "history/local_history.h"
#include "history/memory_fingerprint.h"
#include "history/selection_days.h"
#include "history/sqlite_rows.h"
#include "history/sqlite_statement.h"
#include "pointsfile/utf8_path.h"

namespace history {

namespace {

// Every filter a bound value, NULL when it is not asked for, so that one statement serves each
// combination; characteristic '' asks for the downloads without one. A day's bounds compare as
// instants: julianday() reads each time's offset, so a download pressed at 00:30+02:00 belongs to
// the day before in a zone one hour behind. A history holds a few thousand downloads at most, and
// their rows without points are read in a few milliseconds, index or not.
constexpr const char* kSelect = R"sql(
SELECT * FROM downloads
WHERE (?1 IS NULL OR characteristic = ?1 OR (?1 = '' AND characteristic IS NULL))
    AND (?2 IS NULL OR julianday(pressed_at) >= julianday(?2))
    AND (?3 IS NULL OR julianday(pressed_at) < julianday(?3))
    AND (?4 IS NULL OR host = ?4)
    AND (?5 = 0 OR complete = 1)
ORDER BY julianday(pressed_at), id
)sql";

// The memory lines follow the statistics lines, so the n-th is found by its position from the
// first one's, through the points' key, however far into a download it lies.
constexpr const char* kMemoryPoints = R"sql(
SELECT section, line, deleted, value FROM points
WHERE download_id = (SELECT id FROM downloads WHERE uid = ?1) AND section = 'Memory'
    AND position >= ?2 + (SELECT position FROM points
        WHERE download_id = (SELECT id FROM downloads WHERE uid = ?1) AND section = 'Memory'
        ORDER BY position LIMIT 1)
ORDER BY position LIMIT ?3
)sql";

// The lines alone, from the first memory line's position on: every line after it is one.
constexpr const char* kMemoryLines = R"sql(
SELECT line FROM points
WHERE download_id = (SELECT id FROM downloads WHERE uid = ?1)
    AND position >= (SELECT position FROM points
        WHERE download_id = (SELECT id FROM downloads WHERE uid = ?1) AND section = 'Memory'
        ORDER BY position LIMIT 1)
ORDER BY position LIMIT ?2
)sql";

SqliteDatabase openedHistory(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(pointsfile::pathOfUtf8(path), error)) {
        throw HistoryError(path, "there is no history here: no download has been kept in it");
    }
    std::optional<SqliteDatabase> database = openLocalHistory(path, false, false);
    if (!database) {
        throw HistoryError(path, "is empty: no download has been kept in it yet");
    }
    return std::move(*database);
}

class LocalReader : public HistoryReader {
public:
    explicit LocalReader(const std::string& path) : m_database(openedHistory(path)) {}

    std::vector<KeptDownload> select(const Selection& selection) override {
        const SelectionInstants instants = selectionInstants(selection);
        SqliteStatement statement(m_database, kSelect);
        statement.bind(1, selection.characteristic);
        statement.bind(2, instants.from);
        statement.bind(3, instants.before);
        statement.bind(4, selection.host);
        statement.bind(5, selection.completeOnly ? 1 : 0);
        std::vector<KeptDownload> downloads;
        DownloadRows rows(statement);
        while (rows.next()) {
            downloads.push_back(rows.download());
        }
        return downloads;
    }

    std::vector<std::string> characteristics() override {
        SqliteStatement statement(m_database,
                                  "SELECT DISTINCT characteristic FROM downloads "
                                  "WHERE characteristic IS NOT NULL");
        std::vector<std::string> names;
        while (statement.step()) {
            names.push_back(statement.text(0));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::optional<KeptDownload> read(const std::string& uid) override {
        return LocalHistory(m_database.path(), LocalHistory::Access::Read).read(uid);
    }

    std::vector<KeptPoint> memoryPoints(const std::string& uid, int first, int count) override {
        SqliteStatement statement(m_database, kMemoryPoints);
        statement.bind(1, uid);
        statement.bind(2, first);
        statement.bind(3, count);
        std::vector<KeptPoint> points;
        while (statement.step()) {
            points.push_back(pointOf(statement));
        }
        return points;
    }

    // Straight from the statement's rows: a continuation is confirmed by tens of thousands of
    // them.
    std::string memoryFingerprint(const std::string& uid, int count) override {
        SqliteStatement statement(m_database, kMemoryLines);
        statement.bind(1, uid);
        statement.bind(2, count);
        MemoryFingerprint fingerprint;
        while (statement.step()) {
            fingerprint.add(statement.text(0));
        }
        return fingerprint.hexDigest();
    }

    std::string name() const override { return m_database.path(); }

    std::unique_ptr<HistoryReader> another() const override {
        return openLocalReader(m_database.path());
    }

private:
    SqliteDatabase m_database;
};

}  // namespace

std::unique_ptr<HistoryReader> openLocalReader(const std::string& path) {
    return std::make_unique<LocalReader>(path);
}

}  // namespace history
