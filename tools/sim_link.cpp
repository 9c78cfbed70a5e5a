#include "tools/sim_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace gaugesim {

SymbolicLink::SymbolicLink(std::string path, std::string target)
    : m_path(std::move(path)), m_target(std::move(target)) {
    struct stat status {};
    if (::lstat(m_path.c_str(), &status) == 0 && !S_ISLNK(status.st_mode)) {
        throw std::runtime_error("cannot link " + m_path + ": it exists and is not a link");
    }
    // The per-user folder exists only once the window has ended there; the link may come first.
    std::error_code folderError;
    const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    if (!folder.empty() && !std::filesystem::create_directories(folder, folderError) &&
        folderError) {
        throw std::runtime_error("cannot link " + m_path + ": " + folderError.message());
    }
    // Made under a temporary name and renamed over the old link, so the path never goes missing.
    std::string temporary = m_path + ".tmp" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(m_target.c_str(), temporary.c_str()) != 0) {
        throw std::runtime_error("cannot link " + m_path + ": " + std::strerror(errno));
    }
    if (::rename(temporary.c_str(), m_path.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        throw std::runtime_error("cannot link " + m_path + ": " + std::strerror(error));
    }
}

SymbolicLink::~SymbolicLink() {
    char buffer[4096];
    ssize_t length = ::readlink(m_path.c_str(), buffer, sizeof buffer);
    if (length >= 0 && std::string(buffer, std::size_t(length)) == m_target) {
        ::unlink(m_path.c_str());
    }
}

}  // namespace gaugesim
