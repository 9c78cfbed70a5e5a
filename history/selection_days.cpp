#include "history/selection_days.h"

#include <charconv>

#include "history/history_error.h"
#include "pointsfile/press_time.h"

namespace history {

namespace {

std::optional<int> digits(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.front() == '-') {
        return std::nullopt;
    }
    return value;
}

// The local midnight that starts the day so many days after the one given. A day's length is not
// 24 hours when the clocks change, so the calendar counts, not the seconds.
std::optional<std::time_t> midnight(std::string_view day, int daysAfter) {
    if (day.size() != 10 || day[4] != '-' || day[7] != '-') {
        return std::nullopt;
    }
    const std::optional<int> year = digits(day.substr(0, 4));
    const std::optional<int> month = digits(day.substr(5, 2));
    const std::optional<int> date = digits(day.substr(8, 2));
    if (!year || !month || !date) {
        return std::nullopt;
    }
    std::tm local{};
    local.tm_year = *year - 1900;
    local.tm_mon = *month - 1;
    local.tm_mday = *date;
    local.tm_isdst = -1;
    // mktime carries 2026-02-30 over into March: a day the calendar lacks comes back changed.
    if (std::mktime(&local) == std::time_t(-1) || local.tm_mday != *date ||
        local.tm_mon != *month - 1) {
        return std::nullopt;
    }
    local.tm_mday += daysAfter;
    local.tm_hour = 0;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

std::optional<std::string> localIso(const std::optional<std::string>& day, int daysAfter) {
    if (!day) {
        return std::nullopt;
    }
    const std::optional<std::time_t> start = midnight(*day, daysAfter);
    if (!start) {
        throw HistoryError("selection", "\"" + *day + "\" is no day written as 2026-12-07");
    }
    return pointsfile::isoLocalTime(pointsfile::localTimeOf(*start));
}

}  // namespace

std::optional<std::time_t> startOfLocalDay(std::string_view day) {
    return midnight(day, 0);
}

SelectionInstants selectionInstants(const Selection& selection) {
    return {localIso(selection.since, 0), localIso(selection.until, 1)};
}

}  // namespace history
