#include "driver/pace_file.h"

#include <cstdint>
#include <optional>

#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"

namespace driver {

namespace {

constexpr std::string_view kLineWord = "line";
constexpr std::string_view kPollWord = "poll";

// The number is free afterwards whatever the close says.
void closeQuietly(pointsfile::FileTable& files, std::int16_t number) {
    try {
        files.close(number);
    } catch (const pointsfile::FileError&) {
        // Nothing was written that the next run could not do without.
    }
}

}  // namespace

Pace readPace(pointsfile::FileTable& files, const std::string& path) {
    const std::int16_t number = files.freeFileNumber();
    std::string word;
    try {
        files.openForReading(number, path);
        // One byte past the word is enough to tell a longer line from it.
        for (std::optional<char> byte = files.readByte(number);
             byte && *byte != '\r' && *byte != '\n' && word.size() <= kLineWord.size();
             byte = files.readByte(number)) {
            word += *byte;
        }
    } catch (const pointsfile::FileError&) {
        word.clear();
    }
    closeQuietly(files, number);
    return word == kLineWord ? Pace::Line : Pace::Poll;
}

void writePace(pointsfile::FileTable& files, const std::string& path, Pace pace) {
    const std::int16_t number = files.freeFileNumber();
    try {
        files.openForWriting(number, path);
        files.writeLine(number, pace == Pace::Line ? kLineWord : kPollWord);
    } catch (const pointsfile::FileError&) {
        // The next run starts at the poll pace; that is all a lost choice costs.
    }
    closeQuietly(files, number);
}

}  // namespace driver
