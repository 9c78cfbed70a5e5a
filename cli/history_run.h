#pragma once

#include <string>

#include "cli/history_options.h"

namespace cli {

// Does what the options ask of the history: the list or its CSV on standard output, the trend
// workbook, or a download's file made again. Says what went wrong on standard error, and how it
// ended in its status.
HistoryStatus runHistory(const HistoryOptions& options, const std::string& programFolder);

}  // namespace cli
