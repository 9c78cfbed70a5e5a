#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pointsfile/download_record.h"

namespace history {

// One line the gauge sent, as the history keeps it.
struct KeptPoint {
    pointsfile::Section section = pointsfile::Section::Memory;
    // The gauge's bytes as UTF-8 (each byte above 127 its Latin-1 character, NUL as U+2400).
    std::string line;
    // A memory line the gauge marks deleted (its first character "D").
    bool deleted = false;
    // Set when the line is one of the Summary's counted values.
    std::optional<double> value;
};

// A download as both stores keep it: one row of `downloads` and its rows of `points`, column for
// column. Texts are UTF-8; an empty optional is NULL.
struct KeptDownload {
    std::string uid;
    std::string program;
    std::string programVersion;
    std::string host;
    std::string account;
    std::string pressedAt;
    std::string endedAt;
    std::string port;
    std::string device;
    std::optional<int> baud;
    bool includeStatistics = false;
    bool includeDeletes = false;
    bool spaceDelimiters = false;
    std::optional<std::string> gaugeVersion;
    std::optional<int> statisticsAnnounced;
    std::optional<int> memoryAnnounced;
    int rowsReceived = 0;
    int rowsWritten = 0;
    std::string endedWith;
    bool complete = false;
    std::string fingerprint;
    std::string file;
    // "text", "csv" or "xlsx".
    std::string form;
    std::optional<std::string> characteristic;
    std::optional<double> lowerLimit;
    std::optional<double> upperLimit;
    std::optional<double> nominal;
    std::optional<int> valueField;
    std::optional<std::string> unit;
    int counted = 0;
    std::optional<double> mean;
    std::optional<double> standardDeviation;
    std::optional<double> minimum;
    std::optional<double> maximum;
    std::optional<double> averageMovingRange;
    std::optional<double> cp;
    std::optional<double> cpk;
    std::optional<double> pp;
    std::optional<double> ppk;
    std::optional<int> belowLsl;
    std::optional<int> aboveUsl;
    // In the order received, statistics first; position i + 1.
    std::vector<KeptPoint> points;
};

}  // namespace history
