#pragma once

#include <stdexcept>
#include <string>

namespace pointsfile {

// A file could not be opened, read, written or closed; names the path and the system's reason.
class FileError : public std::runtime_error {
public:
    FileError(std::string path, std::string reason, const std::string& action);

    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_path;
    std::string m_reason;
};

}  // namespace pointsfile
