#pragma once

#include <string>

#include "cli/exit_status.h"
#include "cli/options.h"

namespace cli {

// --version-query: the gauge's raw answer, one second after the version command, on standard
// output; ReplyTimeout when nothing came.
ExitStatus runVersionQuery(const Options& options, const std::string& programFolder);

// --list-ports: the device each "Com N" opens and how it was found, then the system's other ports.
ExitStatus runListPorts(const std::string& programFolder);

// --find-gauge: asks each listed port for the version, one at a time; PortUnavailable when none
// answered.
ExitStatus runFindGauge(const Options& options, const std::string& programFolder);

}  // namespace cli
