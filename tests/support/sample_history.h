#pragma once

#include <string>
#include <vector>

#include "history/download_facts.h"
#include "history/local_history.h"

namespace testsupport {

// A download of Com 1 on line-1, pressed on 7 December 2026 at the time ("08:00"): a bore into
// /data/bore.csv with limits, or else a shaft into /data/shaft.txt without any.
inline history::KeptDownload sampleDownload(const std::string& uid, const std::string& time,
                                            const std::string& characteristic,
                                            const std::vector<std::string>& memory) {
    const bool bore = characteristic.starts_with("Bore");
    pointsfile::DownloadRecord record;
    record.uid = uid;
    record.pressedAt = "2026-12-07T" + time + ":00+01:00";
    record.port = "Com 1";
    record.file = bore ? "/data/bore.csv" : "/data/shaft.txt";
    record.form = bore ? "csv" : "text";
    record.endMessage =
        bore ? "Transfer Complete - Data saved in file /data/bore.csv" : "Terminated";
    record.rowsReceived = record.rowsWritten = int(memory.size());
    pointsfile::ReceivedLines lines;
    for (const std::string& line : memory) {
        lines.add(pointsfile::Section::Memory, line);
    }
    const pointsfile::SummaryChoices limits =
        bore ? pointsfile::SummaryChoices{12.001, 12.004, 12.0025, {}, characteristic}
             : pointsfile::SummaryChoices{{}, {}, {}, {}, characteristic};
    history::KeptDownload kept = history::keptDownloadOf(record, limits, lines);
    kept.host = "line-1";
    return kept;
}

// Three downloads: u1 a bore with limits at 08:00, u2 a shaft without at 09:00, and u3 at 10:00
// the bore's memory read again.
inline void addSampleDownloads(const std::string& path) {
    const std::vector<std::string> bore = {"1\t12.0010\tmm", "2\t12.0030\tmm", "3\t12.0050\tmm"};
    history::LocalHistory kept(path, history::LocalHistory::Access::Write);
    kept.add(sampleDownload("u1", "08:00", "Bore 12H7", bore));
    kept.add(sampleDownload("u2", "09:00", "Shaft 8g6", {"1\t7.990\tmm", "2\t7.994\tmm"}));
    kept.add(sampleDownload("u3", "10:00", "Bore 12H7", bore));
}

}  // namespace testsupport
