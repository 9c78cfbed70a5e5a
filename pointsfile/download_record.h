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
    std::string program;
    std::string version;
    // Local time of the press, ISO 8601 with its offset from UTC.
    std::string pressedAt;
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
    int rowsWritten = 0;
    std::string endMessage;
};

}  // namespace pointsfile
