#pragma once

#include <string>
#include <string_view>

#include "driver/pacer.h"

namespace pointsfile {
class FileTable;
}

namespace driver {

// The window's pace lives in a file of its own beside avrbl.txt, whose five lines other programs
// read: one word, "line" or "poll", and CR LF.
inline constexpr std::string_view kPaceFileName = "pace.txt";

// The line pace when the file's first line is "line"; anything else, a missing file or one that
// cannot be read is the poll pace, silently.
Pace readPace(pointsfile::FileTable& files, const std::string& path);

// A file that cannot be written is passed over in silence: the window has never had a message for
// its pace, and the next run simply starts at the poll pace.
void writePace(pointsfile::FileTable& files, const std::string& path, Pace pace);

}  // namespace driver
