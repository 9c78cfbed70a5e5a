#pragma once

#include <stdexcept>
#include <string>

namespace history {

// A history that cannot be opened, read or written: the file or the server it concerns, and why,
// in words an operator can act on.
class HistoryError : public std::runtime_error {
public:
    HistoryError(std::string where, std::string reason)
        : std::runtime_error(where + ": " + reason),
          m_where(std::move(where)),
          m_reason(std::move(reason)) {}

    // The history file's path, or the plant database as the user named it.
    const std::string& where() const { return m_where; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_where;
    std::string m_reason;
};

}  // namespace history
