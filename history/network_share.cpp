#include "history/network_share.h"

#include <array>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>

#include "pointsfile/utf8_path.h"
#else
#include <sys/vfs.h>
#endif

namespace history {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

}  // namespace

std::optional<std::string> networkFileSystemName(unsigned long fileSystemType) {
    // The kernel's magic numbers (linux/magic.h and the file systems' own).
    static constexpr std::array<std::pair<unsigned long, const char*>, 10> kShares = {{
        {0x6969, "NFS"},
        {0x517B, "SMB/CIFS"},
        {0xFF534D42, "SMB/CIFS"},
        {0xFE534D42, "SMB/CIFS"},
        {0x564C, "NetWare"},
        {0x73757245, "Coda"},
        {0x5346414F, "AFS"},
        {0x6B414653, "AFS"},
        {0x00C36400, "Ceph"},
        {0x01021997, "9P"},
    }};
    for (const auto& [type, name] : kShares) {
        if (type == fileSystemType) {
            return name;
        }
    }
    return std::nullopt;
}

bool isUncPath(std::string_view path) {
    if (startsWith(path, "\\\\?\\") || startsWith(path, "\\\\.\\")) {
        const std::string_view rest = path.substr(4);
        return rest.size() > 4 && (startsWith(rest, "UNC\\") || startsWith(rest, "unc\\"));
    }
    return path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
}

std::optional<std::string> networkShareOf(const std::string& folder) {
#ifdef _WIN32
    if (isUncPath(folder)) {
        return "a network share (a UNC path)";
    }
    std::error_code error;
    const std::filesystem::path absolute =
        std::filesystem::absolute(pointsfile::pathOfUtf8(folder), error);
    if (error || !absolute.has_root_name()) {
        return std::nullopt;
    }
    const std::wstring root = absolute.root_name().wstring() + L"\\";
    if (GetDriveTypeW(root.c_str()) == DRIVE_REMOTE) {
        return "a network drive";
    }
    return std::nullopt;
#else
    struct statfs facts {};
    if (statfs(folder.c_str(), &facts) != 0) {
        return std::nullopt;
    }
    if (const auto name = networkFileSystemName(static_cast<unsigned long>(facts.f_type))) {
        return "a network share (" + *name + ")";
    }
    return std::nullopt;
#endif
}

}  // namespace history
