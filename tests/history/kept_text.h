#pragma once

#include <sstream>
#include <string>

#include "history/download_columns.h"
#include "history/kept_download.h"

namespace historytest {

// Every column and point, one a line, so that a failed comparison shows which differs.
inline std::string shown(const history::KeptDownload& download) {
    std::ostringstream text;
    text.precision(17);
    const auto put = [&text](const auto& value) {
        if constexpr (requires { value.has_value(); }) {
            value ? text << *value : text << "NULL";
        } else {
            text << value;
        }
        text << '\n';
    };
    history::forEachColumn(download, [&](std::string_view name, const auto& value) {
        text << name << '=';
        put(value);
    });
    for (const history::KeptPoint& point : download.points) {
        text << pointsfile::sectionName(point.section) << ' ' << point.line << ' ' << point.deleted;
        put(point.value);
    }
    return text.str();
}

}  // namespace historytest
