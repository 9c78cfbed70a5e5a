#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace settings {

// The per-user folder's own name, under the user's configuration folder.
inline constexpr std::string_view kUserFolderName = "qorb-memory-to-file";

// Where the program keeps avrbl.txt and the files of choices beside it, and where it looks for
// the comN links. Paths are UTF-8.
struct SettingsFolders {
    // Where the files are written, and read once a copy is there.
    std::string home;
    // Read in place of `home` until `home` holds a copy; empty when there is nothing to fall back
    // on.
    std::string startingPoint;
    // Searched for comN links, first to last.
    std::vector<std::string> linkFolders;

    // The file of that name to read: in `home` once it is there, else in the starting point.
    std::string readPath(std::string_view fileName) const;
    // The file of that name to write, its folder made when it is missing (a failure to make it
    // shows as a failure to open the file).
    std::string writePath(std::string_view fileName) const;
};

// A program folder its user can write keeps every file, as it always has. One that is not theirs
// (installed for everyone) hands the writing to the per-user folder, which starts from the
// program folder's copy and is searched first for links. Without a per-user folder (no home) the
// program folder serves all the same.
SettingsFolders settingsFolders(std::string_view programFolder, bool programFolderWritable,
                                std::string_view userFolder);

// The folders for the user running the program, its program folder's writability found by trying.
SettingsFolders settingsFoldersFor(const std::string& programFolder);

// True when the user running the program can create a file in the folder.
bool folderWritable(const std::string& folder);

// ${XDG_CONFIG_HOME:-$HOME/.config}/qorb-memory-to-file, on Windows
// %LOCALAPPDATA%\qorb-memory-to-file; empty when the environment names no such place.
std::string userSettingsFolder();

// The path of a file in a folder, with the system's separator.
std::string pathInFolder(std::string_view folder, std::string_view fileName);

}  // namespace settings
