#pragma once

#include <string>
#include <string_view>

#include "history/kept_download.h"
#include "pointsfile/download_record.h"
#include "pointsfile/received_lines.h"
#include "pointsfile/summary_choices.h"
#include "pointsfile/summary_figures.h"

namespace history {

// What the history keeps of a download: the record's columns, every line received with its
// deleted mark and counted value, the fingerprint, and the Summary's figures of the counted values
// by the workbook Summary's own functions, whatever form the file has. Host and account are left
// to the caller.
KeptDownload keptDownloadOf(const pointsfile::DownloadRecord& record,
                            const pointsfile::SummaryChoices& summary,
                            const pointsfile::ReceivedLines& lines);

// The Summary's figures into the download's columns of them, NULL where the Summary says why it
// cannot compute one.
void copyFigures(const pointsfile::SummaryFigures& figures, KeptDownload& kept);

// The gauge's bytes as the history stores them (UTF-8, each byte above 127 its Latin-1 character,
// NUL as U+2400), and back.
std::string storedText(std::string_view gaugeBytes);
std::string gaugeBytesOf(std::string_view storedText);

// Text that should be UTF-8 already (a path, the end message, a name the user typed), as the
// stores take it: kept when it is valid UTF-8, else each byte taken as its Latin-1 character; NUL
// as U+2400 either way, since PostgreSQL's text cannot hold it.
std::string storedUtf8(std::string_view text);

}  // namespace history
