#include "history/plant_database.h"

#include "history/pg_pipeline.h"
#include "history/pg_transaction.h"
#include "history/plant_schema.h"

namespace history {

namespace {

constexpr const char* kAddDownload =
    "INSERT INTO downloads ("
    "uid, program, program_version, host, account, pressed_at, ended_at, port, device, baud, "
    "include_statistics, include_deletes, space_delimiters, gauge_version, "
    "statistics_announced, memory_announced, rows_received, rows_written, ended_with, "
    "complete, fingerprint, file, form, characteristic, lower_limit, upper_limit, nominal, "
    "value_field, unit, counted, mean, standard_deviation, minimum, maximum, "
    "average_moving_range, cp, cpk, pp, ppk, below_lsl, above_usl"
    ") VALUES ("
    "$1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16, $17, $18, $19, "
    "$20, $21, $22, $23, $24, $25, $26, $27, $28, $29, $30, $31, $32, $33, $34, $35, $36, "
    "$37, $38, $39, $40, $41"
    ") ON CONFLICT (uid) DO NOTHING RETURNING id";

// Points go in blocks of many rows per statement, the last few one by one: the server's work per
// statement, not per row, is what a full download's send would otherwise spend its time on.
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

PgValues downloadValues(const KeptDownload& d) {
    return {d.uid,
            d.program,
            d.programVersion,
            d.host,
            d.account,
            d.pressedAt,
            d.endedAt,
            d.port,
            d.device,
            pgText(d.baud),
            pgText(d.includeStatistics),
            pgText(d.includeDeletes),
            pgText(d.spaceDelimiters),
            d.gaugeVersion,
            pgText(d.statisticsAnnounced),
            pgText(d.memoryAnnounced),
            pgText(d.rowsReceived),
            pgText(d.rowsWritten),
            d.endedWith,
            pgText(d.complete),
            d.fingerprint,
            d.file,
            d.form,
            d.characteristic,
            pgText(d.lowerLimit),
            pgText(d.upperLimit),
            pgText(d.nominal),
            pgText(d.valueField),
            d.unit,
            pgText(d.counted),
            pgText(d.mean),
            pgText(d.standardDeviation),
            pgText(d.minimum),
            pgText(d.maximum),
            pgText(d.averageMovingRange),
            pgText(d.cp),
            pgText(d.cpk),
            pgText(d.pp),
            pgText(d.ppk),
            pgText(d.belowLsl),
            pgText(d.aboveUsl)};
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
    const PgResult added = pg.exec("INSERT INTO downloads", kAddDownload, downloadValues(download));
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
