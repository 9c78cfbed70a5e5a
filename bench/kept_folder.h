#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_folder.h"

namespace bench {

// Where a benchmark keeps what is slow to make (a synthetic history): the folder its first
// argument names, made when missing and kept for the next run, else a temporary one that goes
// with the object.
class KeptFolder {
public:
    KeptFolder(int argc, char** argv) {
        if (argc > 1) {
            m_path = argv[1];
            std::filesystem::create_directories(m_path);
        } else {
            m_path = m_temporary.emplace().path().string();
        }
    }

    std::string file(const std::string& name) const {
        return (std::filesystem::path(m_path) / name).string();
    }

private:
    std::optional<testsupport::TempFolder> m_temporary;
    std::string m_path;
};

}  // namespace bench
