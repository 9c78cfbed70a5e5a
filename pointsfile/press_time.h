#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace pointsfile {

// The moment of a press as the operator's clock shows it.
struct LocalTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    // East of UTC is positive.
    int offsetMinutes = 0;
};

LocalTime localTimeOf(std::time_t moment);

// "2026-12-07T14:15:03+01:00".
std::string isoLocalTime(const LocalTime& time);

// "MemoryPoints.txt" becomes "MemoryPoints_2026-12-07_1415.txt", so one shift's file does not
// replace the last one's.
std::string withDateAndTime(std::string_view name, const LocalTime& time);

// "{date}" becomes "2026-12-07" and "{time}" "141503" wherever they stand in the name.
std::string expandDateAndTime(std::string_view name, const LocalTime& time);

}  // namespace pointsfile
