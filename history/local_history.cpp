#include "history/local_history.h"

#include <algorithm>
#include <utility>

#include "history/download_columns.h"
#include "history/history_error.h"
#include "history/local_file.h"
#include "history/local_queries.h"
#include "history/sqlite_database.h"
#include "history/sqlite_rows.h"
#include "history/sqlite_statement.h"
#include "history/sqlite_transaction.h"

namespace history {

namespace {

const char* const kInsertDownload = R"sql(
INSERT INTO downloads (uid, program, program_version, host, account, pressed_at, ended_at, port,
    device, baud, include_statistics, include_deletes, space_delimiters, gauge_version,
    statistics_announced, memory_announced, rows_received, rows_written, ended_with, complete,
    fingerprint, file, form, characteristic, lower_limit, upper_limit, nominal, value_field, unit,
    counted, mean, standard_deviation, minimum, maximum, average_moving_range, cp, cpk, pp, ppk,
    below_lsl, above_usl)
VALUES (:uid, :program, :program_version, :host, :account, :pressed_at, :ended_at, :port,
    :device, :baud, :include_statistics, :include_deletes, :space_delimiters, :gauge_version,
    :statistics_announced, :memory_announced, :rows_received, :rows_written, :ended_with,
    :complete, :fingerprint, :file, :form, :characteristic, :lower_limit, :upper_limit, :nominal,
    :value_field, :unit, :counted, :mean, :standard_deviation, :minimum, :maximum,
    :average_moving_range, :cp, :cpk, :pp, :ppk, :below_lsl, :above_usl)
ON CONFLICT (uid) DO NOTHING
)sql";

// Points go in blocks of rows, one statement each, which shares a statement's own cost (its
// cursors, its checks) among them: a full download is 32,767 points.
constexpr std::size_t kPointsPerInsert = 64;
constexpr int kPointColumns = 7;

// INSERT INTO points ... VALUES (?, ?, ?, ?, ?, ?, ?), ... for that many rows.
std::string insertPoints(std::size_t rows) {
    std::string sql =
        "INSERT INTO points (download_id, position, section, line, deleted, counted, ";
    sql += "value) VALUES ";
    for (std::size_t row = 0; row < rows; ++row) {
        sql += row == 0 ? "(?, ?, ?, ?, ?, ?, ?)" : ", (?, ?, ?, ?, ?, ?, ?)";
    }
    return sql;
}

std::vector<KeptPoint> pointsOf(const SqliteDatabase& database, std::int64_t downloadId) {
    SqliteStatement statement(database,
                              "SELECT section, line, deleted, value FROM points "
                              "WHERE download_id = ?1 ORDER BY position");
    statement.bind(1, downloadId);
    std::vector<KeptPoint> points;
    while (statement.step()) {
        points.push_back(pointOf(statement));
    }
    return points;
}

void addPoints(const SqliteDatabase& database, std::int64_t downloadId,
               const std::vector<KeptPoint>& points) {
    std::optional<SqliteStatement> block;
    for (std::size_t first = 0; first < points.size(); first += kPointsPerInsert) {
        const std::size_t rows = std::min(kPointsPerInsert, points.size() - first);
        if (!block || rows < kPointsPerInsert) {
            block.reset();
            block.emplace(database, insertPoints(rows));
        }
        for (std::size_t row = 0; row < rows; ++row) {
            const KeptPoint& point = points[first + row];
            const int at = static_cast<int>(row) * kPointColumns;
            block->bind(at + 1, downloadId);
            block->bind(at + 2, static_cast<std::int64_t>(first + row + 1));
            block->bind(at + 3, pointsfile::sectionName(point.section));
            block->bind(at + 4, point.line);
            block->bind(at + 5, point.deleted);
            block->bind(at + 6, point.value.has_value());
            block->bind(at + 7, point.value);
        }
        block->step();
        block->reset();
    }
}

}  // namespace

struct LocalHistory::Store {
    std::string path;
    Access access = Access::Read;

    std::optional<SqliteDatabase> connect(bool create) const {
        return openLocalHistory(path, access == Access::Write, create);
    }
    void refuseReading() const;
};

void LocalHistory::Store::refuseReading() const {
    if (access == Access::Read) {
        throw HistoryError(path, "is open for reading only");
    }
}

LocalHistory::LocalHistory(const std::string& path, Access access)
    : m_store(std::make_unique<Store>(Store{path, access})) {
    m_store->connect(false);
}

LocalHistory::~LocalHistory() = default;

void LocalHistory::add(const KeptDownload& download) {
    m_store->refuseReading();
    SqliteDatabase database = *m_store->connect(true);
    SqliteTransaction transaction(database);
    {
        SqliteStatement statement(database, kInsertDownload);
        forEachColumn(download, [&statement](std::string_view name, const auto& field) {
            // Appended, not ":" + name: GCC 12 at -O3, as the Windows build is made, takes the
            // latter for an overlapping copy (a false -Wrestrict).
            std::string parameter(1, ':');
            parameter.append(name);
            statement.bind(parameter, field);
        });
        statement.step();
    }
    if (database.changes() == 0) {
        return;  // kept already: the first one stands
    }
    addPoints(database, database.lastInsertId(), download.points);
    transaction.commit();
}

std::vector<std::string> LocalHistory::waitingUids() {
    std::vector<std::string> uids;
    if (const auto database = m_store->connect(false)) {
        SqliteStatement statement(*database,
                                  "SELECT uid FROM downloads WHERE sent_at IS NULL ORDER BY id");
        while (statement.step()) {
            uids.push_back(statement.text(0));
        }
    }
    return uids;
}

std::optional<KeptDownload> LocalHistory::read(const std::string& uid) {
    const auto database = m_store->connect(false);
    if (!database) {
        return std::nullopt;
    }
    SqliteStatement statement(*database, "SELECT * FROM downloads WHERE uid = ?1");
    statement.bind(1, uid);
    DownloadRows rows(statement);
    if (!rows.next()) {
        return std::nullopt;
    }
    KeptDownload download = rows.download();
    download.points = pointsOf(*database, rows.id());
    return download;
}

void LocalHistory::markSent(const std::string& uid, const std::string& sentAt) {
    m_store->refuseReading();
    if (const auto database = m_store->connect(false)) {
        SqliteStatement statement(
            *database, "UPDATE downloads SET sent_at = ?1 WHERE uid = ?2 AND sent_at IS NULL");
        statement.bind(1, sentAt);
        statement.bind(2, uid);
        statement.step();
    }
}

HistoryCounts LocalHistory::counts() {
    HistoryCounts counts;
    if (const auto database = m_store->connect(false)) {
        SqliteStatement statement(*database,
                                  "SELECT count(*), count(*) - count(sent_at) FROM downloads");
        statement.step();
        counts.downloads = static_cast<int>(statement.integer(0));
        counts.waiting = static_cast<int>(statement.integer(1));
    }
    return counts;
}

std::vector<KeptDownload> LocalHistory::list(const std::optional<std::string>& characteristic) {
    std::vector<KeptDownload> downloads;
    const auto database = m_store->connect(false);
    if (!database) {
        return downloads;
    }
    SqliteStatement statement(*database, characteristic ? kListOneCharacteristic : kListAll);
    if (characteristic) {
        statement.bind(1, *characteristic);
    }
    DownloadRows rows(statement);
    while (rows.next()) {
        downloads.push_back(rows.download());
    }
    return downloads;
}

const std::string& LocalHistory::path() const {
    return m_store->path;
}

}  // namespace history
