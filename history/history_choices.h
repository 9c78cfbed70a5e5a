#pragma once

#include <string>

namespace history {

// Options > Download History..., and what qorb-download follows unless told otherwise.
struct HistoryChoices {
    bool keep = true;
    // The history file; empty for the default place.
    std::string file;
    // A libpq connection string or URI, never with a password; empty for none.
    std::string database;

    bool operator==(const HistoryChoices&) const = default;
};

}  // namespace history
