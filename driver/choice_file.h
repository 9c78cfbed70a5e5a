#pragma once

#include <string>
#include <string_view>

#include "history/history_choices.h"
#include "pointsfile/summary_choices.h"

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

// Options > Tolerance Limits: the lower limit, the upper limit and the nominal value, a line each,
// with "." as the decimal mark and an empty line for none, then the characteristic they belong to
// (UTF-8; empty for none).
inline constexpr std::string_view kLimitsFileName = "limits.txt";

// The limits the file gives; none at all when it is missing, cannot be read or holds a line the
// dialog would refuse. The value field is left empty.
pointsfile::SummaryChoices readLimits(pointsfile::FileTable& files, const std::string& path);

// Passed over in silence when the file cannot be written, as the other choices are.
void writeLimits(pointsfile::FileTable& files, const std::string& path,
                 const pointsfile::SummaryChoices& limits);

// Options > Download History...: "keep" or "none", the history file (UTF-8; empty for the default
// place), and the plant database's connection string (empty for none), a line each.
inline constexpr std::string_view kHistoryChoicesFileName = "history.txt";

// The choices the file gives; a missing or unreadable file gives the defaults: a history in the
// default place, no plant database.
history::HistoryChoices readHistoryChoices(pointsfile::FileTable& files, const std::string& path);

// Passed over in silence when the file cannot be written, as the other choices are.
void writeHistoryChoices(pointsfile::FileTable& files, const std::string& path,
                         const history::HistoryChoices& choices);

}  // namespace driver
