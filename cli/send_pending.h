#pragma once

#include <string>

#include "cli/exit_status.h"
#include "cli/options.h"

namespace cli {

// --send-pending: sends what waits in the history to the plant database, for a scheduled job.
// Complete when nothing waits any more, ReplyTimeout (75) when something still does,
// HistoryFailed (74) when the history cannot be read.
ExitStatus runSendPending(const Options& options, const std::string& programFolder);

}  // namespace cli
