#pragma once

#include <filesystem>

#include "serial/port_diagnosis.h"

namespace serial {

// Adds what this system tells about seen.device and what surrounds it: whether it exists, its
// group and the account's, the processes that hold it, brltty, the serial adapters present. Reads
// /proc, /sys and /dev, under root when it is not the system's own, so it runs only for a port
// that would not open or for a list, never on the way to a transfer.
void observeSystem(PortObservation& seen, const std::filesystem::path& root = "/");

}  // namespace serial
