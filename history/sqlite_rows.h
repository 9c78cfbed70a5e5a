#pragma once

#include <cstdint>
#include <map>
#include <string_view>

#include "history/kept_download.h"
#include "history/sqlite_statement.h"

namespace history {

// The rows of a SELECT * of downloads, each column found by its name once, so that a query may
// list the columns in any order and hold more.
class DownloadRows {
public:
    explicit DownloadRows(SqliteStatement& statement);

    bool next() { return m_statement.step(); }
    std::int64_t id() const { return m_statement.integer(m_columns.at("id")); }
    // The row's columns; no points.
    KeptDownload download() const;

private:
    SqliteStatement& m_statement;
    std::map<std::string_view, int, std::less<>> m_columns;
};

// The point of a row of SELECT section, line, deleted, value FROM points.
KeptPoint pointOf(const SqliteStatement& row);

}  // namespace history
