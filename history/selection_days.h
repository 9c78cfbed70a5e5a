#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "history/history_reader.h"

namespace history {

// The start of a day written "2026-12-07" in the local time zone (TZ where set), as an instant;
// nothing when the text is not such a day of the calendar.
std::optional<std::time_t> startOfLocalDay(std::string_view day);

// The instants a selection's days bound, as ISO 8601 local times with their offsets, which both
// stores read as instants: from the start of `since`, and before the start of the day after
// `until`, so that both days are whole. Throws HistoryError for a text that is no day.
struct SelectionInstants {
    std::optional<std::string> from;
    std::optional<std::string> before;
};
SelectionInstants selectionInstants(const Selection& selection);

}  // namespace history
