#pragma once

#include <string>
#include <vector>

namespace history {

// What libpq connects with: this program's defaults ahead of the string, so that whatever the
// string sets wins, and UTF-8 after it, since every text the history sends is UTF-8.
struct ConnectionParameters {
    std::vector<std::string> keywords;
    std::vector<std::string> values;
};
ConnectionParameters connectionParameters(const std::string& connectionString);

// "plant database quality on qdb.plant.local:5432", of what is known; never a password.
std::string serverName(const std::string& database, const std::string& host,
                       const std::string& port, const std::string& service = {});

// A hint for a connection that failed when its string holds a backslash, which libpq takes as an
// escape (C:\certs\root.crt becomes C:certsroot.crt); empty otherwise.
std::string backslashHint(const std::string& connectionString);

}  // namespace history
