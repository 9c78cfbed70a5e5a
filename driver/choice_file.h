#pragma once

#include <string>
#include <string_view>

namespace pointsfile {
class FileTable;
}

namespace driver {

// A window choice that the five lines of avrbl.txt do not hold, which other programs read, lives
// in a file of its own beside it: one word, the choice's on or off word, and CR LF.
struct ChoiceFile {
    std::string_view name;
    std::string_view onWord;
    std::string_view offWord;
};

// Options > Line Speed Transfer.
inline constexpr ChoiceFile kPaceFile{"pace.txt", "line", "poll"};
// Options > Date and Time in File Name.
inline constexpr ChoiceFile kNamesFile{"names.txt", "dated", "plain"};

// On when the file's first line is the on word; anything else, a missing file or one that cannot
// be read is off, silently.
bool readChoice(pointsfile::FileTable& files, const std::string& path, const ChoiceFile& choice);

// A file that cannot be written is passed over in silence: the window has never had a message for
// these choices, and the next run simply starts with the choice off.
void writeChoice(pointsfile::FileTable& files, const std::string& path, const ChoiceFile& choice,
                 bool on);

}  // namespace driver
