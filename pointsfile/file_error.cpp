#include "pointsfile/file_error.h"

#include <utility>

namespace pointsfile {

FileError::FileError(std::string path, std::string reason, const std::string& action)
    : std::runtime_error("Cannot " + action + " " + path + ": " + reason),
      m_path(std::move(path)),
      m_reason(std::move(reason)) {}

}  // namespace pointsfile
