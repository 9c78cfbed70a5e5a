#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace serial {

inline constexpr std::int16_t kFirstPortNumber = 1;
inline constexpr std::int16_t kLastPortNumber = 16;

// The device that "Com <number>" opens. On Windows it is COM<number>. Elsewhere a symbolic link
// com<number> in the first of the link folders that has one names it (resolved, so the link and
// its target share one lock; a dangling link gives its missing target, so the open fails naming
// it); without such a link it is the number-th of the system's serial ports in device path order.
// Nothing when the number is outside 1 to 16 or the system has no such port.
std::optional<std::string> portDevice(std::int16_t number,
                                      const std::vector<std::string>& linkFolders,
                                      const std::vector<std::string>& systemPorts);

// The com<number> link that portDevice() follows, when there is one (never on Windows).
std::optional<std::string> comLink(std::int16_t number,
                                   const std::vector<std::string>& linkFolders);

// Orders device paths as an operator reads them: /dev/ttyS2 before /dev/ttyS10.
bool devicePathLess(const std::string& left, const std::string& right);

}  // namespace serial
