#pragma once

#include <string>
#include <vector>

#include "history/history_reader.h"

namespace cli {

// The selection as a person reads it: a line of headings, then one line per download in columns,
// numbers right-aligned, each figure to a few more decimals than the gauge's values have; "-"
// where a figure cannot be computed.
std::string alignedList(const std::vector<history::TrendRow>& rows);

// The same as RFC 4180 CSV for other tools: the uid first, each figure as the shortest text that
// reads back to its value, with "."; an empty field where there is none; CR LF after each record.
std::string csvList(const std::vector<history::TrendRow>& rows);

}  // namespace cli
