#include "history/plant_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <optional>

#include "history/download_columns.h"
#include "history/history_reader.h"
#include "history/pg_connection.h"
#include "history/plant_database.h"
#include "history/plant_schema.h"
#include "history/selection_days.h"
#include "pointsfile/press_time.h"

namespace history {

namespace {

// As the PC's history selects them (local_reader.cpp); timestamptz compares as instants already.
// The times come as seconds since 1970 too, to be shown in the reader's own zone.
constexpr const char* kSelect = R"sql(
SELECT *, extract(epoch FROM pressed_at) AS pressed_epoch,
    extract(epoch FROM ended_at) AS ended_epoch
FROM downloads
WHERE ($1::text IS NULL OR characteristic = $1 OR ($1 = '' AND characteristic IS NULL))
    AND ($2::timestamptz IS NULL OR pressed_at >= $2)
    AND ($3::timestamptz IS NULL OR pressed_at < $3)
    AND ($4::text IS NULL OR host = $4)
    AND (NOT $5::boolean OR complete)
ORDER BY pressed_at, id
)sql";

constexpr const char* kReadDownload = R"sql(
SELECT *, extract(epoch FROM pressed_at) AS pressed_epoch,
    extract(epoch FROM ended_at) AS ended_epoch
FROM downloads WHERE uid = $1
)sql";

constexpr const char* kAllPoints =
    "SELECT section, line, deleted, value FROM points WHERE download_id = $1 ORDER BY position";

// As local_reader.cpp finds them.
constexpr const char* kMemoryPoints = R"sql(
SELECT section, line, deleted, value FROM points
WHERE download_id = (SELECT id FROM downloads WHERE uid = $1) AND section = 'Memory'
    AND position >= $2 + (SELECT position FROM points
        WHERE download_id = (SELECT id FROM downloads WHERE uid = $1) AND section = 'Memory'
        ORDER BY position LIMIT 1)
ORDER BY position LIMIT $3
)sql";

// Each download's first memory line, through the points' key from its first position on.
constexpr const char* kFirstMemoryLines = R"sql(
SELECT d.uid, (SELECT p.line FROM points AS p
    WHERE p.download_id = d.id AND p.section = 'Memory' ORDER BY p.position LIMIT 1)
FROM downloads AS d WHERE d.uid = ANY ($1::text[])
)sql";

// The uids as one text[] value, each element quoted as an array literal takes it.
std::string textArray(const std::vector<std::string>& items) {
    std::string array = "{";
    for (const std::string& item : items) {
        array += array.size() > 1 ? ",\"" : "\"";
        for (const char c : item) {
            if (c == '"' || c == '\\') {
                array += '\\';
            }
            array += c;
        }
        array += '"';
    }
    return array + "}";
}

void parse(const std::string& text, std::string& field) {
    field = text;
}
void parse(const std::string& text, bool& field) {
    field = text == "t";
}
template <class Number>
void parse(const std::string& text, Number& field) {
    std::from_chars(text.data(), text.data() + text.size(), field);
}

// A value of the result, NULL an empty optional.
class PgRow {
public:
    PgRow(const PgResult& result, int row) : m_result(result), m_row(row) {}

    template <class T>
    void read(int column, T& field) const {
        parse(m_result.text(m_row, column), field);
    }
    template <class T>
    void read(int column, std::optional<T>& field) const {
        if (PQgetisnull(m_result.get(), m_row, column) != 0) {
            field.reset();
        } else {
            read(column, field.emplace());
        }
    }
    // An instant as the reader's local time with its offset.
    std::string localTime(int column) const {
        double seconds = 0;
        read(column, seconds);
        const auto moment = static_cast<std::time_t>(std::floor(seconds));
        return pointsfile::isoLocalTime(pointsfile::localTimeOf(moment));
    }

private:
    const PgResult& m_result;
    int m_row;
};

KeptDownload downloadOf(const PgResult& result, int row) {
    const PgRow values(result, row);
    KeptDownload download;
    forEachColumn(download, [&](std::string_view name, auto& field) {
        values.read(PQfnumber(result.get(), std::string(name).c_str()), field);
    });
    download.pressedAt = values.localTime(PQfnumber(result.get(), "pressed_epoch"));
    download.endedAt = values.localTime(PQfnumber(result.get(), "ended_epoch"));
    return download;
}

std::vector<KeptPoint> pointsOf(const PgResult& result) {
    std::vector<KeptPoint> points(static_cast<std::size_t>(result.rows()));
    for (int row = 0; row < result.rows(); ++row) {
        KeptPoint& point = points[static_cast<std::size_t>(row)];
        const PgRow values(result, row);
        point.section = result.text(row, 0) == "Statistics" ? pointsfile::Section::Statistics
                                                            : pointsfile::Section::Memory;
        values.read(1, point.line);
        values.read(2, point.deleted);
        values.read(3, point.value);
    }
    return points;
}

class PlantReader : public HistoryReader {
public:
    explicit PlantReader(const std::string& connectionString)
        : m_connectionString(connectionString), m_connection(connected(connectionString)) {
        refuseUnreadable();
    }

    std::vector<KeptDownload> select(const Selection& selection) override {
        const SelectionInstants instants = selectionInstants(selection);
        const PgResult result =
            m_connection->exec("SELECT FROM downloads", kSelect,
                               {selection.characteristic, instants.from, instants.before,
                                selection.host, pgText(selection.completeOnly)});
        std::vector<KeptDownload> downloads;
        downloads.reserve(std::size_t(result.rows()));
        for (int row = 0; row < result.rows(); ++row) {
            downloads.push_back(downloadOf(result, row));
        }
        return downloads;
    }

    std::vector<std::string> characteristics() override {
        const PgResult result = m_connection->exec(
            "SELECT FROM downloads",
            "SELECT DISTINCT characteristic FROM downloads WHERE characteristic IS NOT NULL");
        std::vector<std::string> names;
        names.reserve(std::size_t(result.rows()));
        for (int row = 0; row < result.rows(); ++row) {
            names.push_back(result.text(row, 0));
        }
        // In bytes, as the PC's history sorts them, whatever the server's collation.
        std::sort(names.begin(), names.end());
        return names;
    }

    std::optional<KeptDownload> read(const std::string& uid) override {
        const PgResult found = m_connection->exec("SELECT FROM downloads", kReadDownload, {uid});
        if (found.rows() == 0) {
            return std::nullopt;
        }
        KeptDownload download = downloadOf(found, 0);
        const std::string id = found.text(0, PQfnumber(found.get(), "id"));
        download.points = pointsOf(m_connection->exec("SELECT FROM points", kAllPoints, {id}));
        return download;
    }

    std::vector<KeptPoint> memoryPoints(const std::string& uid, int first, int count) override {
        return pointsOf(m_connection->exec("SELECT FROM points", kMemoryPoints,
                                           {uid, pgText(first), pgText(count)}));
    }

    std::vector<std::string> firstMemoryLines(const std::vector<std::string>& uids) override {
        const PgResult result =
            m_connection->exec("SELECT FROM points", kFirstMemoryLines, {textArray(uids)});
        std::map<std::string, std::string> firstOf;
        for (int row = 0; row < result.rows(); ++row) {
            firstOf[result.text(row, 0)] = result.text(row, 1);
        }
        std::vector<std::string> lines;
        lines.reserve(uids.size());
        for (const std::string& uid : uids) {
            lines.push_back(firstOf[uid]);
        }
        return lines;
    }

    std::string name() const override { return m_connection->where(); }

    std::unique_ptr<HistoryReader> another() const override {
        return openPlantReader(m_connectionString);
    }

private:
    static std::unique_ptr<PgConnection> connected(const std::string& connectionString) {
        checkConnectionString(connectionString);
        try {
            return std::make_unique<PgConnection>(connectionString);
        } catch (const HistoryError& failure) {
            throw PlantUnreachable(failure.where(), failure.reason());
        }
    }

    // Tables that are not there, or of a later version, are no history this program can read.
    void refuseUnreadable() {
        const PgResult found =
            m_connection->exec("looking for the history's tables",
                               "SELECT to_regclass($1) IS NOT NULL, to_regclass($2) IS NOT NULL, "
                               "to_regclass($3) IS NOT NULL",
                               {"downloads", "points", "schema_version"});
        if (found.text(0, 0) != "t" || found.text(0, 1) != "t") {
            m_connection->fail("looking for the history's tables",
                               "the tables downloads and points are not there: no station has "
                               "sent a download to this database (or its schema is not on the "
                               "search path)");
        }
        if (found.text(0, 2) == "t") {
            const PgResult version = m_connection->exec("SELECT FROM schema_version",
                                                        "SELECT version FROM schema_version");
            int held = 0;
            if (version.rows() > 0) {
                parse(version.text(0, 0), held);
            }
            if (held > kPlantSchemaVersion) {
                std::string reason = "the history's tables are of version ";
                reason += std::to_string(held) + ", later than this program's ";
                reason +=
                    std::to_string(kPlantSchemaVersion) + ": read them with the later program";
                m_connection->fail("SELECT FROM schema_version", reason);
            }
        }
    }

    std::string m_connectionString;
    std::unique_ptr<PgConnection> m_connection;
};

}  // namespace

std::unique_ptr<HistoryReader> openPlantReader(const std::string& connectionString) {
    return std::make_unique<PlantReader>(connectionString);
}

}  // namespace history
