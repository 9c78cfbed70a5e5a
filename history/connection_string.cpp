#include "history/connection_string.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "history/history_error.h"
#include "history/pg_result.h"
#include "history/plant_database.h"

namespace history {

namespace {

struct OptionsFree {
    void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsFree>;

std::string optionValue(const PQconninfoOption* options, const char* keyword) {
    for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
        if (std::strcmp(option->keyword, keyword) == 0 && option->val != nullptr) {
            return option->val;
        }
    }
    return {};
}

// A server that is away must never hold a download's end, the window's Test Connection or a
// scheduled --send-pending for long. 10 s is ample for a TCP and TLS handshake across a plant's
// network or a VPN, and short enough for an operator to wait. Once connected, a server or network
// gone silent is found by keepalives within about a minute, and data the far end never
// acknowledges (a cable pulled mid-send) ends the connection after 60 s, where the system's own
// retries would hold it for a quarter of an hour.
struct Default {
    const char* keyword;
    const char* value;
    const char* environment;  // libpq's variable for it, which wins over this default
};
constexpr Default kDefaults[] = {
    {"connect_timeout", "10", "PGCONNECT_TIMEOUT"}, {"keepalives_idle", "30", nullptr},
    {"keepalives_interval", "10", nullptr},         {"keepalives_count", "3", nullptr},
    {"tcp_user_timeout", "60000", nullptr},
};

}  // namespace

void checkConnectionString(const std::string& connectionString) {
    char* error = nullptr;
    const Options options(PQconninfoParse(connectionString.c_str(), &error));
    if (!options) {
        const std::string reason = error != nullptr ? oneLine(error) : "out of memory";
        PQfreemem(error);
        throw HistoryError("plant database", "not a libpq connection string or URI: " + reason +
                                                 backslashHint(connectionString));
    }
    for (const char* secret : {"password", "sslpassword"}) {
        if (!optionValue(options.get(), secret).empty()) {
            throw HistoryError(
                serverName(optionValue(options.get(), "dbname"), optionValue(options.get(), "host"),
                           optionValue(options.get(), "port"),
                           optionValue(options.get(), "service")),
                std::string("the connection string holds a ") + secret +
                    ", which is never taken there (it would land in a settings file, a shell's "
                    "history or a process list): put it in libpq's password file (~/.pgpass; on "
                    "Windows %APPDATA%\\postgresql\\pgpass.conf; or the file PGPASSFILE names) "
                    "or its service file (~/.pg_service.conf, or PGSERVICEFILE), and leave it out "
                    "of the connection string");
        }
    }
}

ConnectionParameters connectionParameters(const std::string& connectionString) {
    ConnectionParameters parameters;
    for (const Default& fallback : kDefaults) {
        if (fallback.environment == nullptr || std::getenv(fallback.environment) == nullptr) {
            parameters.keywords.emplace_back(fallback.keyword);
            parameters.values.emplace_back(fallback.value);
        }
    }
    parameters.keywords.emplace_back("dbname");
    parameters.values.push_back(connectionString);
    parameters.keywords.emplace_back("client_encoding");
    parameters.values.emplace_back("UTF8");
    return parameters;
}

std::string serverName(const std::string& database, const std::string& host,
                       const std::string& port, const std::string& service) {
    std::string name = "plant database";
    if (!database.empty()) {
        name += " " + database;
    }
    if (!host.empty()) {
        name += " on " + host + (port.empty() ? "" : ":" + port);
    }
    if (!service.empty()) {
        name += " (service " + service + ")";
    }
    return name;
}

std::string backslashHint(const std::string& connectionString) {
    if (connectionString.find('\\') == std::string::npos) {
        return {};
    }
    return " (a backslash in a connection string escapes the character after it: write paths "
           "with forward slashes, C:/certs/root.crt)";
}

}  // namespace history
