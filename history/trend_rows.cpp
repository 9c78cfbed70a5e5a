#include <algorithm>
#include <optional>
#include <unordered_map>

#include "history/download_facts.h"
#include "history/history_reader.h"

namespace history {

namespace {

// A download's memory lines follow from what its row says, without reading its points: whatever
// the statistics section announced came first, when it was asked for.
int memoryLineCount(const KeptDownload& download) {
    if (!download.includeStatistics) {
        return download.rowsReceived;
    }
    return std::max(0, download.rowsReceived - download.statisticsAnnounced.value_or(0));
}

// What the trend needs to know of a selected download besides its row.
struct Lines {
    int count = 0;
    // Its first memory line, the one any download it continues or that continues it shares.
    std::string first;
    // The memory lines of the download it continues, which its figures leave out.
    int continued = 0;
};

class Finder {
public:
    Finder(HistoryReader& reader, std::vector<TrendRow>& rows) : m_reader(reader), m_rows(rows) {
        m_lines.resize(rows.size());
        std::vector<std::string> uids;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            m_lines[i].count = memoryLineCount(rows[i].download);
            if (m_lines[i].count > 0) {
                uids.push_back(rows[i].download.uid);
            }
        }
        const std::vector<std::string> firsts = reader.firstMemoryLines(uids);
        auto first = firsts.begin();
        for (Lines& lines : m_lines) {
            if (lines.count > 0 && first != firsts.end()) {
                lines.first = *first++;
            }
        }
    }

    void find() {
        std::unordered_map<std::string, std::size_t> firstOfFingerprint;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            TrendRow& row = m_rows[i];
            const auto [earlier, first] = firstOfFingerprint.emplace(row.download.fingerprint, i);
            if (!first) {
                // The same lines as that one: they continue what it continues.
                row.repeatOf = m_rows[earlier->second].download.uid;
                row.continues = m_rows[earlier->second].continues;
                m_lines[i].continued = m_lines[earlier->second].continued;
            } else {
                findContinued(i);
            }
            if (m_lines[i].continued > 0) {
                refigure(i);
            }
        }
    }

private:
    // The latest earlier download whose memory lines, one at least, this one begins with and
    // holds more of. The candidates are the shorter ones that share its first line; their last
    // line against its own line there sorts out most chance likenesses for two lines read, and
    // the fingerprint of as many of its own lines confirms one.
    void findContinued(std::size_t at) {
        const std::string& uid = m_rows[at].download.uid;
        for (std::size_t i = at; i-- > 0;) {
            const int count = m_lines[i].count;
            if (count == 0 || count >= m_lines[at].count || m_lines[i].first != m_lines[at].first ||
                lineAt(uid, count - 1) != lineAt(m_rows[i].download.uid, count - 1) ||
                m_reader.memoryFingerprint(uid, count) != m_rows[i].download.fingerprint) {
                continue;
            }
            m_rows[at].continues = m_rows[i].download.uid;
            m_lines[at].continued = count;
            return;
        }
    }

    std::optional<std::string> lineAt(const std::string& uid, int index) {
        const std::vector<KeptPoint> points = m_reader.memoryPoints(uid, index, 1);
        return points.empty() ? std::nullopt : std::optional(points.front().line);
    }

    // The figures of its new lines only, from their counted values, at its own limits.
    void refigure(std::size_t at) {
        KeptDownload& download = m_rows[at].download;
        const int continued = m_lines[at].continued;
        const pointsfile::SummaryChoices limits{
            download.lowerLimit, download.upperLimit, download.nominal, download.valueField, {}};
        pointsfile::ValueStatistics statistics(limits);
        for (const KeptPoint& point :
             m_reader.memoryPoints(download.uid, continued, m_lines[at].count - continued)) {
            if (point.value) {
                statistics.add(*point.value);
            }
        }
        copyFigures(statistics.figures(), download);
    }

    HistoryReader& m_reader;
    std::vector<TrendRow>& m_rows;
    std::vector<Lines> m_lines;
};

}  // namespace

std::vector<TrendRow> trendRows(HistoryReader& reader, const Selection& selection) {
    std::vector<TrendRow> rows;
    for (KeptDownload& download : reader.select(selection)) {
        rows.push_back({std::move(download), {}, {}});
    }
    Finder(reader, rows).find();
    return rows;
}

}  // namespace history
