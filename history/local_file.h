#pragma once

#include <optional>
#include <string>

#include "history/sqlite_database.h"

namespace history {

// A connection to the history file for one call, the file checked first to be a history this
// program may use (else HistoryError, the file left as it is). For writing: never on a network
// share, in WAL mode, the schema made or upgraded, and with `create` the folders and the file made
// when missing. Nothing when there is no history yet and none is to be made.
std::optional<SqliteDatabase> openLocalHistory(const std::string& path, bool write, bool create);

}  // namespace history
