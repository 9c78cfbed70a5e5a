#include "settings/settings_folders.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <wchar.h>
#endif

#include "pointsfile/utf8_path.h"

namespace settings {

namespace {

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(pointsfile::pathOfUtf8(path), error);
}

}  // namespace

std::string pathInFolder(std::string_view folder, std::string_view fileName) {
    std::string path(folder);
    path += static_cast<char>(std::filesystem::path::preferred_separator);
    path += fileName;
    return path;
}

std::string SettingsFolders::readPath(std::string_view fileName) const {
    std::string own = pathInFolder(home, fileName);
    if (startingPoint.empty() || exists(own)) {
        return own;
    }
    return pathInFolder(startingPoint, fileName);
}

std::string SettingsFolders::writePath(std::string_view fileName) const {
    std::error_code ignored;
    std::filesystem::create_directories(pointsfile::pathOfUtf8(home), ignored);
    return pathInFolder(home, fileName);
}

SettingsFolders settingsFolders(std::string_view programFolder, bool programFolderWritable,
                                std::string_view userFolder) {
    const std::string program(programFolder);
    if (programFolderWritable || userFolder.empty()) {
        return {program, {}, {program}};
    }
    const std::string user(userFolder);
    return {user, program, {user, program}};
}

SettingsFolders settingsFoldersFor(const std::string& programFolder) {
    return settingsFolders(programFolder, folderWritable(programFolder), userSettingsFolder());
}

bool folderWritable(const std::string& folder) {
    // Permissions alone do not tell: root, access lists and read-only mounts each differ, so try.
    std::string probe;
    do {
        probe = pathInFolder(folder, ".qorb-write-test-" + std::to_string(std::random_device()()));
    } while (exists(probe));
#ifdef _WIN32
    std::FILE* file = _wfopen(pointsfile::pathOfUtf8(probe).c_str(), L"wb");
#else
    std::FILE* file = std::fopen(probe.c_str(), "wb");
#endif
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    std::error_code ignored;
    std::filesystem::remove(pointsfile::pathOfUtf8(probe), ignored);
    return true;
}

std::string userSettingsFolder() {
#ifdef _WIN32
    const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
    if (localAppData == nullptr || *localAppData == L'\0') {
        return {};
    }
    return pointsfile::utf8OfPath(std::filesystem::path(localAppData) /
                                  pointsfile::pathOfUtf8(kUserFolderName));
#else
    // A relative XDG_CONFIG_HOME is invalid and is ignored, as the base directory rules say.
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        base = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return pointsfile::utf8OfPath(base / kUserFolderName);
#endif
}

}  // namespace settings
