#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pointsfile {

// Which of the gauge's two sections a row came from.
enum class Section { Statistics, Memory };

// "Statistics" or "Memory", as the spreadsheet forms name a row's section.
std::string_view sectionName(Section section);

// What a quality engineer needs to know of one download, filled by the core from the press to the
// end and written by the forms that carry it (the workbook).
struct DownloadRecord {
    // A random UUID made at the press, lower-case with hyphens: the download's name in the history.
    std::string uid;
    std::string program;
    std::string version;
    // Local time of the press, ISO 8601 with its offset from UTC.
    std::string pressedAt;
    // Local time of the end, as the press's.
    std::string endedAt;
    // The port as the operator chose it ("Com 2") and the device that was opened.
    std::string port;
    std::string device;
    std::string baudRate;
    bool includeStatistics = false;
    bool includeDeletes = false;
    bool useSpaceDelimiters = false;
    // The gauge's version answer when it was asked in this run of the program.
    std::string gaugeVersion;
    std::optional<int> statisticsAnnounced;
    std::optional<int> memoryAnnounced;
    // Point lines received from both sections (not the count replies), and rows the file holds.
    int rowsReceived = 0;
    int rowsWritten = 0;
    // The file written: its absolute path ("-" for standard output) and its form, "text", "csv"
    // or "xlsx".
    std::string file;
    std::string form;
    std::string endMessage;
    // The end was "Transfer Complete - ...": every announced point arrived and the file is whole.
    bool complete = false;
};

}  // namespace pointsfile
