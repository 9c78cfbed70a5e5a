#include "driver/choice_file.h"

#include <array>
#include <cstdint>
#include <optional>

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
    const std::int16_t number = files.freeFileNumber();
    std::array<std::string, 3> lines;
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
                taken = lines[line].size() <= kLongestLimitLine;
            }
        }
    } catch (const pointsfile::FileError&) {
        taken = false;
    }
    closeQuietly(files, number);
    const pointsfile::LimitsReading reading = pointsfile::readLimits(
        {"lower", lines[0]}, {"upper", lines[1]}, {"nominal", lines[2]}, ".");
    return taken && reading.refusal.empty() ? reading.limits : pointsfile::SummaryChoices{};
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
    } catch (const pointsfile::FileError&) {
        // The next run starts without limits; the workbook's cells can still take them.
    }
    closeQuietly(files, number);
}

}  // namespace driver
