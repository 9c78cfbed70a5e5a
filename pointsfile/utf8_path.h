#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pointsfile {

// Paths are UTF-8 in the program; std::filesystem would read a narrow string in the system's code
// page on Windows.
inline std::filesystem::path pathOfUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8OfPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace pointsfile
