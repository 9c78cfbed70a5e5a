#pragma once

#include "cli/options.h"
#include "history/history_choices.h"

namespace cli {

// The history a run keeps: what the window remembers, with the command line's choices over it.
// Throws UsageError for a plant database without a history to send from.
history::HistoryChoices historyChoicesFor(const Options& options,
                                          const history::HistoryChoices& remembered);

}  // namespace cli
