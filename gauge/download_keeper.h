#pragma once

#include <optional>
#include <string>

#include "pointsfile/download_record.h"
#include "pointsfile/received_lines.h"
#include "pointsfile/summary_choices.h"

namespace gauge {

// Where a download goes once its file is closed: the history of downloads. The transfer hands it
// every end, complete or not.
class DownloadKeeper {
public:
    virtual ~DownloadKeeper() = default;

    // The download's record, the Summary's choices it began with and every line it received.
    // Nothing when it was kept; else the text to tell the operator, once: what could not be kept,
    // where and why, and where the points are. Never throws.
    virtual std::optional<std::string> keep(const pointsfile::DownloadRecord& record,
                                            const pointsfile::SummaryChoices& summary,
                                            const pointsfile::ReceivedLines& lines) = 0;
};

}  // namespace gauge
