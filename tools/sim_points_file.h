#pragma once

#include <string>
#include <vector>

namespace gaugesim {

// One point per line, the line end (CR, LF or both) stripped and everything else, tabs
// included, kept byte for byte. Throws std::runtime_error naming the path when it cannot be read.
std::vector<std::string> readPointsFile(const std::string& path);

}  // namespace gaugesim
