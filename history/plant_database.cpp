#include "history/plant_database.h"

#include "history/download_columns.h"
#include "history/pg_pipeline.h"
#include "history/pg_transaction.h"
#include "history/plant_schema.h"

namespace history {

namespace {

// The download's row, its columns and values in the one order forEachColumn gives both.
std::string addDownloadSql() {
    std::string columns;
    std::string placeholders;
    int count = 0;
    const KeptDownload none;
    forEachColumn(none, [&](std::string_view name, const auto&) {
        columns += count == 0 ? "" : ", ";
        columns += name;
        placeholders += count == 0 ? "$" : ", $";
        placeholders += std::to_string(++count);
    });
    std::string sql = "INSERT INTO downloads (";
    sql += columns;
    sql += ") VALUES (";
    sql += placeholders;
    sql += ") ON CONFLICT (uid) DO NOTHING RETURNING id";
    return sql;
}

PgValues downloadValues(const KeptDownload& download) {
    PgValues values;
    forEachColumn(download, [&values](std::string_view, const auto& field) {
        values.emplace_back(pgText(field));
    });
    return values;
}

// Points go 100 rows to a statement, the last few one by one: each statement's own cost to the
// server (bind, execute, answer) is shared among its rows. One row to a statement took twice as
// long for a full download; more rows than 100 gain nothing.
constexpr int kPointColumns = 7;
constexpr int kBlockRows = 100;
constexpr const char* kAddPointName = "qorb_add_point";
constexpr const char* kAddBlockName = "qorb_add_points";

// "INSERT INTO points (...) VALUES ($1, ..., $7), ($8, ..., $14), ...": placeholders only.
std::string addPointsSql(int rows) {
    std::string sql =
        "INSERT INTO points (download_id, position, section, line, deleted, counted, value) "
        "VALUES ";
    for (int row = 0; row < rows; ++row) {
        sql += row == 0 ? "(" : ", (";
        for (int column = 1; column <= kPointColumns; ++column) {
            sql += "$";
            sql += std::to_string(row * kPointColumns + column);
            sql += column < kPointColumns ? ", " : ")";
        }
    }
    return sql;
}

}  // namespace

struct PlantDatabase::Connection {
    explicit Connection(const std::string& connectionString) : pg(connectionString) {}
    PgConnection pg;
    bool pointReady = false;
};

PlantDatabase::PlantDatabase(const std::string& connectionString)
    : m_connection(std::make_unique<Connection>(connectionString)) {}

PlantDatabase::~PlantDatabase() = default;

void PlantDatabase::prepare() {
    PgConnection& pg = m_connection->pg;
    PlantSchemaState state = inspectPlantSchema(pg);
    const bool creatable = !state.missingTables.empty() && state.mayCreate &&
                           (!state.version || *state.version == kPlantSchemaVersion);
    if (creatable) {
        createPlantSchema(pg);
        state = inspectPlantSchema(pg);
    }
    if (const std::optional<std::string> reason = plantSchemaRefusal(state)) {
        pg.fail("preparing the history's tables", *reason);
    }
}

bool PlantDatabase::send(const KeptDownload& download) {
    PgConnection& pg = m_connection->pg;
    PgTransaction transaction(pg);
    static const std::string addDownload = addDownloadSql();
    const PgResult added =
        pg.exec("INSERT INTO downloads", addDownload.c_str(), downloadValues(download));
    if (added.rows() == 0) {
        return false;  // there already, whole: it went in one transaction
    }
    if (!m_connection->pointReady) {
        pg.prepare("INSERT INTO points", kAddPointName, addPointsSql(1).c_str(), kPointColumns);
        pg.prepare("INSERT INTO points", kAddBlockName, addPointsSql(kBlockRows).c_str(),
                   kPointColumns * kBlockRows);
        m_connection->pointReady = true;
    }
    {
        PgPipeline pipeline(pg, "INSERT INTO points");
        const std::string id = added.text(0, 0);
        const std::size_t count = download.points.size();
        const std::size_t blocked = count - count % kBlockRows;
        PgValues values;
        for (std::size_t i = 0; i < count; ++i) {
            const KeptPoint& point = download.points[i];
            values.insert(values.end(), {id, pgText(static_cast<int>(i + 1)),
                                         std::string(pointsfile::sectionName(point.section)),
                                         point.line, pgText(point.deleted),
                                         pgText(point.value.has_value()), pgText(point.value)});
            if (i >= blocked || values.size() == std::size_t{kPointColumns} * kBlockRows) {
                pipeline.add(i >= blocked ? kAddPointName : kAddBlockName, values);
                values.clear();
            }
        }
        pipeline.finish();
    }
    transaction.commit();
    return true;
}

}  // namespace history
