#pragma once

#include <string>

#include "cli/exit_status.h"
#include "cli/options.h"

namespace cli {

// --version-query: the gauge's raw answer, one second after the version command, on standard
// output; ReplyTimeout, said on standard error, when nothing came.
ExitStatus runVersionQuery(const Options& options, const std::string& programFolder);

// --list-ports: the device each "Com N" opens and how it was found, then the system's other ports;
// under each whether it is free, and if not why.
ExitStatus runListPorts(const std::string& programFolder);

// --find-gauge: asks each listed port for the version, one at a time, and says why it skipped one
// that would not open; PortUnavailable when none answered.
ExitStatus runFindGauge(const Options& options, const std::string& programFolder);

}  // namespace cli
