#include "history/history_reader.h"

#include "history/memory_fingerprint.h"

namespace history {

std::vector<std::string> HistoryReader::firstMemoryLines(const std::vector<std::string>& uids) {
    std::vector<std::string> lines;
    for (const std::string& uid : uids) {
        const std::vector<KeptPoint> first = memoryPoints(uid, 0, 1);
        lines.push_back(first.empty() ? std::string() : first.front().line);
    }
    return lines;
}

std::string HistoryReader::memoryFingerprint(const std::string& uid, int count) {
    MemoryFingerprint fingerprint;
    for (const KeptPoint& point : memoryPoints(uid, 0, count)) {
        fingerprint.add(point.line);
    }
    return fingerprint.hexDigest();
}

}  // namespace history
