#include "history/history_state.h"

namespace history {

namespace {

std::string downloads(int count) {
    return std::to_string(count) + (count == 1 ? " download" : " downloads");
}

}  // namespace

std::string historyStateText(const HistoryCounts& counts, bool plantNamed,
                             const std::optional<SendReport>& lastReport) {
    std::string held = downloads(counts.downloads) + " in the history";
    if (!plantNamed) {
        return held;
    }
    if (counts.waiting == 0) {
        return counts.downloads == 0 ? held : held + "; all sent to the plant database";
    }
    if (lastReport && !lastReport->reason.empty()) {
        return waitingText({0, counts.waiting, lastReport->reason});
    }
    return downloads(counts.waiting) + " waiting to be sent to the plant database (" + held + ")";
}

std::string waitingText(const SendReport& report) {
    return downloads(report.waiting) + " waiting to be sent" +
           (report.reason.empty() ? std::string() : ": " + report.reason);
}

}  // namespace history
