#pragma once

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace bench {

// A figure of the system's account of the process, in KiB ("VmRSS:"); -1 where there is none.
inline long statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(field.size()));
        }
    }
    return -1;
}

// The process's resident memory.
inline long residentKiB() {
    return statusKiB("VmRSS:");
}

// The most resident memory since the start or since resetPeakResident().
inline long peakResidentKiB() {
    return statusKiB("VmHWM:");
}

inline void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// User and system CPU time the process has used so far.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace bench
