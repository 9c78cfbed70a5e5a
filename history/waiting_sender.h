#pragma once

#include <optional>
#include <string>

#include "history/plant_database.h"

namespace history {

// Sends the history's waiting downloads to the plant database without holding up the caller.
class WaitingSender {
public:
    virtual ~WaitingSender() = default;

    // Starts a round of sending and returns at once; one asked for while a round runs follows it.
    virtual void sendWaiting(const std::string& historyPath, const std::string& database) = 0;
    // What the last round that ended did; nothing before one has ended.
    virtual std::optional<SendReport> lastReport() const = 0;
};

}  // namespace history
