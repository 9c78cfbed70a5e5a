#pragma once

#include <optional>
#include <string>
#include <vector>

namespace history {

// The values of one statement's parameters in libpq's text form, each bound, never pasted into
// SQL; an empty optional is NULL. The server takes each in the type of the column it meets.
using PgValues = std::vector<std::optional<std::string>>;

// The text form of a value as PostgreSQL reads it: the shortest that reads back to the same
// double, whatever the locale; "true" or "false".
std::string pgText(int value);
std::string pgText(double value);
std::string pgText(bool value);
inline std::string pgText(const std::string& value) {
    return value;
}

template <typename T>
std::optional<std::string> pgText(const std::optional<T>& value) {
    return value ? std::optional<std::string>(pgText(*value)) : std::nullopt;
}

}  // namespace history
