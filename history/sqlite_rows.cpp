#include "history/sqlite_rows.h"

#include <optional>
#include <string>

#include "history/download_columns.h"

namespace history {

namespace {

void readColumn(const SqliteStatement& row, int column, std::string& field) {
    field = row.text(column);
}
void readColumn(const SqliteStatement& row, int column, int& field) {
    field = static_cast<int>(row.integer(column));
}
void readColumn(const SqliteStatement& row, int column, bool& field) {
    field = row.integer(column) != 0;
}
void readColumn(const SqliteStatement& row, int column, double& field) {
    field = row.real(column);
}
template <class T>
void readColumn(const SqliteStatement& row, int column, std::optional<T>& field) {
    if (row.isNull(column)) {
        field.reset();
    } else {
        readColumn(row, column, field.emplace());
    }
}

}  // namespace

DownloadRows::DownloadRows(SqliteStatement& statement) : m_statement(statement) {
    for (int column = 0; column < statement.columnCount(); ++column) {
        m_columns.emplace(statement.columnName(column), column);
    }
}

KeptDownload DownloadRows::download() const {
    KeptDownload download;
    forEachColumn(download, [this](std::string_view name, auto& field) {
        readColumn(m_statement, m_columns.at(name), field);
    });
    return download;
}

KeptPoint pointOf(const SqliteStatement& row) {
    KeptPoint point;
    point.section = row.text(0) == pointsfile::sectionName(pointsfile::Section::Statistics)
                        ? pointsfile::Section::Statistics
                        : pointsfile::Section::Memory;
    readColumn(row, 1, point.line);
    readColumn(row, 2, point.deleted);
    readColumn(row, 3, point.value);
    return point;
}

}  // namespace history
