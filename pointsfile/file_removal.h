#pragma once

#include <filesystem>
#include <string>

#include "pointsfile/utf8_path.h"

namespace pointsfile {

// Removes what the program made at a path the user named, when it is a plain file: never a device
// (run as root, removing "/dev/null" after writing to it would take the device away from every
// program on the machine), a folder, or what a link leads to.
inline void removeIfRegularFile(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path file = pathOfUtf8(path);
    if (std::filesystem::symlink_status(file, ignored).type() ==
        std::filesystem::file_type::regular) {
        std::filesystem::remove(file, ignored);
    }
}

}  // namespace pointsfile
