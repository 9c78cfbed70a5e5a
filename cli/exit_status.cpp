#include "cli/exit_status.h"

#include <array>

#include "gauge/transfer_texts.h"

namespace cli {

namespace {

struct EndStatus {
    std::string_view messageStart;
    ExitStatus status;
};

constexpr std::array kEnds = {
    EndStatus{gauge::kTransferComplete, ExitStatus::Complete},
    EndStatus{gauge::kTimeout, ExitStatus::ReplyTimeout},
    EndStatus{gauge::kNoStatisticsPoints, ExitStatus::NoPoints},
    EndStatus{gauge::kNoMemoryPoints, ExitStatus::NoPoints},
    EndStatus{gauge::kInvalidStatisticsCount, ExitStatus::InvalidCount},
    EndStatus{gauge::kInvalidMemoryCount, ExitStatus::InvalidCount},
    EndStatus{gauge::kUnableToOpen, ExitStatus::FileFailed},
    EndStatus{gauge::kUnableToWrite, ExitStatus::FileFailed},
};

struct StatusLine {
    ExitStatus status;
    std::string_view meaning;
};

constexpr std::array kStatusLines = {
    StatusLine{ExitStatus::Complete, "complete: every point is in the file"},
    StatusLine{ExitStatus::Usage, "usage error: an unknown or malformed option"},
    StatusLine{ExitStatus::InvalidCount, "the gauge sent a count that cannot be taken"},
    StatusLine{ExitStatus::NoPoints, "the gauge has 0 points in statistics or in memory"},
    StatusLine{ExitStatus::PortUnavailable,
               "the port cannot be opened (no gauge answered, with --find-gauge)"},
    StatusLine{ExitStatus::Internal, "an unexpected internal error"},
    StatusLine{ExitStatus::FileFailed,
               "the file cannot be opened or written, or exists and --force is not given"},
    StatusLine{ExitStatus::HistoryFailed,
               "the download is in the file, but the history cannot be written (or, with "
               "--send-pending, read)"},
    StatusLine{ExitStatus::ReplyTimeout,
               "no complete reply from the gauge for 4 seconds (no answer, with --version-query; "
               "downloads still waiting, with --send-pending)"},
    StatusLine{ExitStatus::Interrupted, "ended by SIGINT (Ctrl+C) after the current step"},
    StatusLine{ExitStatus::Terminated, "ended by SIGTERM after the current step"},
};

}  // namespace

ExitStatus exitStatusOfEnd(std::string_view message) {
    for (const EndStatus& end : kEnds) {
        if (message.starts_with(end.messageStart)) {
            return end.status;
        }
    }
    return ExitStatus::Internal;
}

std::string exitStatusTable() {
    std::string text;
    for (const StatusLine& line : kStatusLines) {
        std::string number = std::to_string(static_cast<int>(line.status));
        number.insert(0, 5 - number.size(), ' ');
        text += number + "  " + std::string(line.meaning) + "\n";
    }
    return text;
}

}  // namespace cli
