#pragma once

#include <string>

#include "cli/exit_status.h"
#include "cli/options.h"

namespace cli {

// A download into options.file with the window's transfer, to its end or to SIGINT or SIGTERM.
// Tells the end on standard error (the completion only without --quiet).
ExitStatus runDownload(const Options& options, const std::string& programFolder);

}  // namespace cli
