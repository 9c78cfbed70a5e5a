#pragma once

#include <optional>
#include <string>

#include "history/local_history.h"
#include "history/plant_database.h"

namespace history {

// What the history holds and what became of sending it, as the Download History dialog says it:
// "214 downloads in the history; all sent to the plant database", "3 downloads waiting to be sent:
// could not connect to server ...".
std::string historyStateText(const HistoryCounts& counts, bool plantNamed,
                             const std::optional<SendReport>& lastReport);

// "3 downloads waiting to be sent: could not connect to server ...".
std::string waitingText(const SendReport& report);

}  // namespace history
