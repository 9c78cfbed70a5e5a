#include "driver/choice_file.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"
#include "pointsfile/tolerance_limits.h"

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

// Longer than any number the dialog writes: a line past it is no limit.
constexpr std::size_t kLongestLimitLine = 64;
constexpr std::string_view kKeepHistoryWord = "keep";
constexpr std::string_view kNoHistoryWord = "none";

// A characteristic is a name, not a text: one past this is no characteristic.
constexpr std::size_t kLongestCharacteristicLine = 256;
// history.txt: its word, and a path or a connection string.
constexpr std::size_t kLongestWordLine = 16;
constexpr std::size_t kLongestPathLine = 4096;

// The first lines of a file, each no longer than its bound, the missing ones empty; nothing when
// the file cannot be read or a line is longer than its bound.
std::optional<std::vector<std::string>> readLines(pointsfile::FileTable& files,
                                                  const std::string& path,
                                                  const std::vector<std::size_t>& longest) {
    const std::int16_t number = files.freeFileNumber();
    std::vector<std::string> lines(longest.size());
    bool taken = true;
    try {
        files.openForReading(number, path);
        std::size_t line = 0;
        for (std::optional<char> byte = files.readByte(number);
             taken && byte && line < lines.size(); byte = files.readByte(number)) {
            if (*byte == '\n') {
                ++line;
            } else if (*byte != '\r') {
                lines[line] += *byte;
                taken = lines[line].size() <= longest[line];
            }
        }
    } catch (const pointsfile::FileError&) {
        taken = false;
    }
    closeQuietly(files, number);
    return taken ? std::optional(std::move(lines)) : std::nullopt;
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

pointsfile::SummaryChoices readLimits(pointsfile::FileTable& files, const std::string& path) {
    // The three limits, then the characteristic they belong to (a file of an earlier version of
    // the program has no fourth line).
    const std::optional<std::vector<std::string>> lines = readLines(
        files, path,
        {kLongestLimitLine, kLongestLimitLine, kLongestLimitLine, kLongestCharacteristicLine});
    if (!lines) {
        return {};
    }
    const pointsfile::LimitsReading reading = pointsfile::readLimits(
        {"lower", (*lines)[0]}, {"upper", (*lines)[1]}, {"nominal", (*lines)[2]}, ".");
    if (!reading.refusal.empty()) {
        return {};
    }
    pointsfile::SummaryChoices limits = reading.limits;
    limits.characteristic = pointsfile::characteristicOf((*lines)[3]);
    return limits;
}

void writeLimits(pointsfile::FileTable& files, const std::string& path,
                 const pointsfile::SummaryChoices& limits) {
    const std::int16_t number = files.freeFileNumber();
    try {
        files.openForWriting(number, path);
        for (const std::optional<double>& value :
             {limits.lowerLimit, limits.upperLimit, limits.nominal}) {
            files.writeLine(number, value ? pointsfile::limitText(*value, ".") : std::string());
        }
        files.writeLine(number, limits.characteristic);
    } catch (const pointsfile::FileError&) {
        // The next run starts without limits; the workbook's cells can still take them.
    }
    closeQuietly(files, number);
}

history::HistoryChoices readHistoryChoices(pointsfile::FileTable& files, const std::string& path) {
    const std::optional<std::vector<std::string>> lines =
        readLines(files, path, {kLongestWordLine, kLongestPathLine, kLongestPathLine});
    history::HistoryChoices choices;
    if (lines) {
        choices.keep = (*lines)[0] != kNoHistoryWord;
        choices.file = (*lines)[1];
        choices.database = (*lines)[2];
    }
    return choices;
}

void writeHistoryChoices(pointsfile::FileTable& files, const std::string& path,
                         const history::HistoryChoices& choices) {
    const std::int16_t number = files.freeFileNumber();
    try {
        files.openForWriting(number, path);
        files.writeLine(number, choices.keep ? kKeepHistoryWord : kNoHistoryWord);
        files.writeLine(number, choices.file);
        files.writeLine(number, choices.database);
    } catch (const pointsfile::FileError&) {
        // The next run keeps a history in the default place, which loses nothing.
    }
    closeQuietly(files, number);
}

}  // namespace driver
