#pragma once

#include <sstream>
#include <string>

#include "history/download_columns.h"
#include "history/kept_download.h"

namespace historytest {

// A download with texts that try to escape their quotes, bytes above 127 and three points.
inline history::KeptDownload sampleDownload(const std::string& uid) {
    history::KeptDownload d;
    d.uid = uid;
    d.program = "qorb-download";
    d.account = "o'brien";
    d.pressedAt = "2026-12-07T14:15:03+01:00";
    d.baud = 9600;
    d.includeStatistics = true;
    d.gaugeVersion = "V 2.1 \xC2\xB5";
    d.endedWith = "Transfer Complete - Data saved in file /tmp/\"a\".xlsx";
    d.complete = true;
    d.characteristic = "'); DROP TABLE downloads;--";
    d.lowerLimit = 12.1;
    d.valueField = 2;
    d.counted = 1;
    d.mean = 12.0034;
    d.belowLsl = 0;
    d.points = {
        {pointsfile::Section::Statistics, "N\t2", false, {}},
        {pointsfile::Section::Memory, "1\t12.0034\t\xE2\x90\x80\xC3\xBF\"'", false, 12.0034},
        {pointsfile::Section::Memory, "D2\t12.0100\tmm", true, {}}};
    return d;
}

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
