#include "pointsfile/press_time.h"

#include <cstdio>
#include <cstdlib>

namespace pointsfile {

namespace {

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
long long daysFromCivil(long long year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string dateText(const LocalTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
    return text;
}

void replaceAll(std::string& text, std::string_view what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
}

}  // namespace

LocalTime localTimeOf(std::time_t moment) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    LocalTime time{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
    // The offset is what the local clock reads beyond UTC; strftime's %z is not portable.
    const long long localSeconds = daysFromCivil(time.year, time.month, time.day) * 86400 +
                                   time.hour * 3600LL + time.minute * 60LL + time.second;
    time.offsetMinutes = static_cast<int>((localSeconds - static_cast<long long>(moment)) / 60);
    return time;
}

std::string isoLocalTime(const LocalTime& time) {
    const int offset = std::abs(time.offsetMinutes);
    return dateText(time) + "T" + twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" +
           twoDigits(time.second) + (time.offsetMinutes < 0 ? "-" : "+") + twoDigits(offset / 60) +
           ":" + twoDigits(offset % 60);
}

std::string withDateAndTime(std::string_view name, const LocalTime& time) {
    const std::size_t dot = name.rfind('.');
    const std::size_t stemEnd = dot == std::string_view::npos ? name.size() : dot;
    return std::string(name.substr(0, stemEnd)) + "_" + dateText(time) + "_" +
           twoDigits(time.hour) + twoDigits(time.minute) + std::string(name.substr(stemEnd));
}

std::string expandDateAndTime(std::string_view name, const LocalTime& time) {
    std::string expanded(name);
    replaceAll(expanded, "{date}", dateText(time));
    replaceAll(expanded, "{time}",
               twoDigits(time.hour) + twoDigits(time.minute) + twoDigits(time.second));
    return expanded;
}

}  // namespace pointsfile
