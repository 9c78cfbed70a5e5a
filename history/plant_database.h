#pragma once

#include <memory>
#include <string>

#include "history/kept_download.h"

namespace history {

class LocalHistory;

// A libpq connection string or URI that holds a password is refused: a password belongs in
// libpq's password file or service file, never in a settings file, a shell's history or a process
// list. Throws HistoryError saying so, or naming what libpq cannot parse.
void checkConnectionString(const std::string& connectionString);

// The plant's PostgreSQL database: the same tables as the local history, but `sent_at`.
class PlantDatabase {
public:
    // Connects. Throws HistoryError with libpq's reason.
    explicit PlantDatabase(const std::string& connectionString);
    ~PlantDatabase();
    PlantDatabase(const PlantDatabase&) = delete;
    PlantDatabase& operator=(const PlantDatabase&) = delete;

    // Creates the tables when they are missing and the role may; refuses a database of a later
    // schema version. Throws HistoryError naming the table or the right that is missing.
    void prepare();
    // The download and its points in one server transaction; false when the database holds its
    // uid already (nothing is stored twice). Throws HistoryError.
    bool send(const KeptDownload& download);

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

// What one round of sending did.
struct SendReport {
    int sent = 0;
    int waiting = 0;
    // Why the waiting ones could not go, in libpq's or the server's words; empty when none wait.
    std::string reason;
};

// Sends the local history's waiting downloads, oldest first, each marked sent in the local history
// once the server has committed it; stops at the first failure. Never throws.
SendReport sendWaiting(LocalHistory& local, const std::string& connectionString);

// What the window's Test Connection says, in one line: whom it reached and what of the history it
// found there ("Connected to quality on qdb.plant.local as station7; the history's tables are
// there"), or why it could not, in libpq's or the server's words. Changes nothing. Never throws.
std::string probePlantDatabase(const std::string& connectionString);

}  // namespace history
