#include <ctime>
#include <exception>

#include "history/local_history.h"
#include "history/plant_database.h"
#include "pointsfile/press_time.h"

namespace history {

SendReport sendWaiting(LocalHistory& local, const std::string& connectionString) {
    SendReport report;
    try {
        const std::vector<std::string> uids = local.waitingUids();
        report.waiting = static_cast<int>(uids.size());
        if (uids.empty()) {
            return report;
        }
        PlantDatabase plant(connectionString);
        plant.prepare();
        for (const std::string& uid : uids) {
            // One the local history no longer holds has nothing left to send.
            if (const std::optional<KeptDownload> download = local.read(uid)) {
                plant.send(*download);
            }
            // Sent but not marked (the local history failed just then): the next round finds
            // the uid on the server and stores nothing twice.
            local.markSent(uid,
                           pointsfile::isoLocalTime(pointsfile::localTimeOf(std::time(nullptr))));
            ++report.sent;
            --report.waiting;
        }
    } catch (const std::exception& error) {
        report.reason = error.what();
    }
    return report;
}

}  // namespace history
