#include "driver/choice_file.h"

#include <cstdint>
#include <optional>

#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"

namespace driver {

namespace {

// The number is free afterwards whatever the close says.
void closeQuietly(pointsfile::FileTable& files, std::int16_t number) {
    try {
        files.close(number);
    } catch (const pointsfile::FileError&) {
        // Nothing was written that the next run could not do without.
    }
}

}  // namespace

bool readChoice(pointsfile::FileTable& files, const std::string& path, const ChoiceFile& choice) {
    const std::int16_t number = files.freeFileNumber();
    std::string word;
    try {
        files.openForReading(number, path);
        // One byte past the word is enough to tell a longer line from it.
        for (std::optional<char> byte = files.readByte(number);
             byte && *byte != '\r' && *byte != '\n' && word.size() <= choice.onWord.size();
             byte = files.readByte(number)) {
            word += *byte;
        }
    } catch (const pointsfile::FileError&) {
        word.clear();
    }
    closeQuietly(files, number);
    return word == choice.onWord;
}

void writeChoice(pointsfile::FileTable& files, const std::string& path, const ChoiceFile& choice,
                 bool on) {
    const std::int16_t number = files.freeFileNumber();
    try {
        files.openForWriting(number, path);
        files.writeLine(number, on ? choice.onWord : choice.offWord);
    } catch (const pointsfile::FileError&) {
        // The next run starts with the choice off; that is all a lost choice costs.
    }
    closeQuietly(files, number);
}

}  // namespace driver
