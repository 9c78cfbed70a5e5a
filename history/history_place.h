#pragma once

#include <string>
#include <string_view>

#include "settings/settings_folders.h"

namespace history {

// The history file's own name.
inline constexpr std::string_view kHistoryFileName = "history.sqlite";

// The environment's values the default place depends on; empty when unset.
struct PlaceEnvironment {
    std::string xdgDataHome;
    std::string home;
    std::string localAppData;
};

// Where the history is kept unless the user names a file: beside avrbl.txt when that is in the
// program's own folder (a portable folder, a build folder), else in the per-user data folder
// (${XDG_DATA_HOME:-$HOME/.local/share}/qorb-memory-to-file on Linux,
// %LOCALAPPDATA%\qorb-memory-to-file on Windows), else beside avrbl.txt all the same.
std::string historyPath(const settings::SettingsFolders& folders, std::string_view programFolder,
                        const PlaceEnvironment& environment);

// The same, from this process's environment.
std::string defaultHistoryPath(const settings::SettingsFolders& folders,
                               std::string_view programFolder);

}  // namespace history
