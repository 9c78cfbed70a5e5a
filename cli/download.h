#pragma once

#include <string>

#include "cli/exit_status.h"
#include "cli/options.h"

namespace cli {

// FILE "-": the rows go to standard output.
inline constexpr std::string_view kStandardOutputName = "-";

// A download into options.file with the window's transfer, to its end or to SIGINT or SIGTERM.
// Tells the end on standard error (the completion only without --quiet).
ExitStatus runDownload(const Options& options, const std::string& programFolder);

}  // namespace cli
