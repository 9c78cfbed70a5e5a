#pragma once

#include <string_view>

namespace view {
class View;
}
namespace pointsfile {
class FileTable;
}

namespace settings {

inline constexpr std::string_view kSaveDialogTitle = "Select File to Save";
inline constexpr std::string_view kSaveDialogFilter = "Text Files (*.txt)|*.txt";

// File > Save: asks for a file name and saves the settings to it. A cancelled dialog saves and
// shows nothing, and so does a dialog that fails to show.
void saveSettingsAs(view::View& view, pointsfile::FileTable& files);

}  // namespace settings
