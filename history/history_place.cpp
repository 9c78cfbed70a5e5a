#include "history/history_place.h"

#include <cstdlib>
#include <filesystem>

#include "pointsfile/utf8_path.h"

namespace history {

namespace {

using settings::pathInFolder;

// The per-user data folder, empty when the environment names none.
std::string userDataFolder(const PlaceEnvironment& environment) {
#ifdef _WIN32
    if (environment.localAppData.empty()) {
        return {};
    }
    return pathInFolder(environment.localAppData, settings::kUserFolderName);
#else
    // A relative XDG_DATA_HOME is invalid and is ignored, as the base directory rules say.
    if (!environment.xdgDataHome.empty() && environment.xdgDataHome.front() == '/') {
        return pathInFolder(environment.xdgDataHome, settings::kUserFolderName);
    }
    if (!environment.home.empty() && environment.home.front() == '/') {
        return pathInFolder(pathInFolder(pathInFolder(environment.home, ".local"), "share"),
                            settings::kUserFolderName);
    }
    return {};
#endif
}

#ifdef _WIN32
std::string variable(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value == nullptr ? std::string() : pointsfile::utf8OfPath(std::filesystem::path(value));
}
#else
std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}
#endif

}  // namespace

std::string historyPath(const settings::SettingsFolders& folders, std::string_view programFolder,
                        const PlaceEnvironment& environment) {
    if (folders.home != programFolder) {
        if (const std::string user = userDataFolder(environment); !user.empty()) {
            return pathInFolder(user, kHistoryFileName);
        }
    }
    return pathInFolder(folders.home, kHistoryFileName);
}

std::string defaultHistoryPath(const settings::SettingsFolders& folders,
                               std::string_view programFolder) {
#ifdef _WIN32
    const PlaceEnvironment environment{{}, {}, variable(L"LOCALAPPDATA")};
#else
    const PlaceEnvironment environment{variable("XDG_DATA_HOME"), variable("HOME"), {}};
#endif
    return historyPath(folders, programFolder, environment);
}

}  // namespace history
