#pragma once

#include "history/kept_download.h"

namespace history {

// The columns of `downloads` that every store has, in the schema's order, each with its field:
// visit(name, field) for each, the field const as the download is. One list serves writing and
// reading, so that no column can be bound to one field and read back into another.
template <class Download, class Visit>
void forEachColumn(Download& download, Visit&& visit) {
    visit("uid", download.uid);
    visit("program", download.program);
    visit("program_version", download.programVersion);
    visit("host", download.host);
    visit("account", download.account);
    visit("pressed_at", download.pressedAt);
    visit("ended_at", download.endedAt);
    visit("port", download.port);
    visit("device", download.device);
    visit("baud", download.baud);
    visit("include_statistics", download.includeStatistics);
    visit("include_deletes", download.includeDeletes);
    visit("space_delimiters", download.spaceDelimiters);
    visit("gauge_version", download.gaugeVersion);
    visit("statistics_announced", download.statisticsAnnounced);
    visit("memory_announced", download.memoryAnnounced);
    visit("rows_received", download.rowsReceived);
    visit("rows_written", download.rowsWritten);
    visit("ended_with", download.endedWith);
    visit("complete", download.complete);
    visit("fingerprint", download.fingerprint);
    visit("file", download.file);
    visit("form", download.form);
    visit("characteristic", download.characteristic);
    visit("lower_limit", download.lowerLimit);
    visit("upper_limit", download.upperLimit);
    visit("nominal", download.nominal);
    visit("value_field", download.valueField);
    visit("unit", download.unit);
    visit("counted", download.counted);
    visit("mean", download.mean);
    visit("standard_deviation", download.standardDeviation);
    visit("minimum", download.minimum);
    visit("maximum", download.maximum);
    visit("average_moving_range", download.averageMovingRange);
    visit("cp", download.cp);
    visit("cpk", download.cpk);
    visit("pp", download.pp);
    visit("ppk", download.ppk);
    visit("below_lsl", download.belowLsl);
    visit("above_usl", download.aboveUsl);
}

}  // namespace history
