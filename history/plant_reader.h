#pragma once

#include "history/history_error.h"

namespace history {

// The plant database could not be reached at all (no server, no network, a refused login or
// TLS), in libpq's words: not the same as a database that answers and cannot be read.
class PlantUnreachable : public HistoryError {
public:
    using HistoryError::HistoryError;
};

}  // namespace history
