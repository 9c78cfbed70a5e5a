#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace view {
class View;
}
namespace pointsfile {
class FileTable;
}

namespace settings {

inline constexpr std::string_view kSettingsFileName = "avrbl.txt";
inline constexpr std::string_view kSaveErrorMessage = "An error occured while saving file ";

// What a failed load selects: "Com 1" and "38400".
inline constexpr std::int16_t kFallbackPortIndex = 0;
inline constexpr std::int16_t kFallbackBaudIndex = 3;

// Sets the port and baud selections and the three check boxes from the file, each value as soon
// as it is read. Any failure is silent: the lists fall back to "Com 1" and "38400", check boxes
// set before it keep their new values.
void LoadSettings(view::View& view, pointsfile::FileTable& files, const std::string& path);

// Writes the selections and check boxes as five lines under file number 1. A failure shows the
// save error; lines written before it stay.
void SaveSettings(view::View& view, pointsfile::FileTable& files, const std::string& path);

}  // namespace settings
