#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <thread>
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

// The cores that confirm continuations at most, each reading the history on its own.
constexpr unsigned kMostCores = 4;

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
        const std::vector<std::optional<std::size_t>> repeats = repeatOfEach();
        const std::vector<Continued> continued = continuedOfEach(repeats);
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            TrendRow& row = m_rows[i];
            if (const std::optional<std::size_t> earlier = repeats[i]) {
                // The same lines as that one: they continue what it continues, their figures at
                // their own limits.
                row.repeatOf = m_rows[*earlier].download.uid;
                row.continues = m_rows[*earlier].continues;
                m_lines[i].continued = m_lines[*earlier].continued;
                if (m_lines[i].continued > 0) {
                    copyFigures(newFigures(m_reader, i, m_lines[i].continued), row.download);
                }
            } else if (const std::optional<std::size_t> earlier = continued[i].earlier) {
                row.continues = m_rows[*earlier].download.uid;
                m_lines[i].continued = m_lines[*earlier].count;
                copyFigures(*continued[i].figures, row.download);
            }
        }
    }

private:
    // The download a download continues, and the figures of its new lines.
    struct Continued {
        std::optional<std::size_t> earlier;
        std::optional<pointsfile::SummaryFigures> figures;
    };

    // For each download, the first earlier one with the same fingerprint, whose repeat it is.
    std::vector<std::optional<std::size_t>> repeatOfEach() const {
        std::vector<std::optional<std::size_t>> repeats(m_rows.size());
        std::unordered_map<std::string, std::size_t> firstOfFingerprint;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            const auto [earlier, first] =
                firstOfFingerprint.emplace(m_rows[i].download.fingerprint, i);
            if (!first) {
                repeats[i] = earlier->second;
            }
        }
        return repeats;
    }

    // The download each one that is no repeat continues, with the figures of its new lines.
    // Confirming one reads tens of thousands of lines, nearly all of the trend's time, so the
    // downloads are shared out among the processor's cores, each core with a reader of its own.
    std::vector<Continued> continuedOfEach(const std::vector<std::optional<std::size_t>>& repeats) {
        std::vector<std::size_t> asked;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (!repeats[i]) {
                asked.push_back(i);
            }
        }
        std::vector<Continued> continued(m_rows.size());
        std::atomic<std::size_t> next{0};
        const auto confirm = [&](HistoryReader& reader) {
            for (std::size_t taken = next++; taken < asked.size(); taken = next++) {
                const std::size_t at = asked[taken];
                if (const std::optional<std::size_t> earlier = continuedOf(reader, at)) {
                    continued[at] = {earlier, newFigures(reader, at, m_lines[*earlier].count)};
                }
            }
        };
        const std::size_t helpers = std::min<std::size_t>(
            std::max(1U, std::min(std::thread::hardware_concurrency(), kMostCores)) - 1,
            asked.size() / 2);
        std::vector<std::exception_ptr> failures(helpers + 1);
        std::vector<std::thread> threads;
        for (std::size_t helper = 1; helper <= helpers; ++helper) {
            threads.emplace_back([&, helper] {
                try {
                    if (const std::unique_ptr<HistoryReader> own = anotherReader()) {
                        confirm(*own);
                    }
                } catch (...) {
                    failures[helper] = std::current_exception();
                    next = asked.size();
                }
            });
        }
        try {
            confirm(m_reader);
        } catch (...) {
            failures[0] = std::current_exception();
            next = asked.size();
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        for (const std::exception_ptr& failure : failures) {
            if (failure) {
                std::rethrow_exception(failure);
            }
        }
        return continued;
    }

    // A reader that cannot be opened for a helper (a server's connections all taken) leaves that
    // helper's share to the others.
    std::unique_ptr<HistoryReader> anotherReader() const {
        try {
            return m_reader.another();
        } catch (const std::exception&) {
            return nullptr;
        }
    }

    // The latest earlier download whose memory lines, one at least, this one begins with and
    // holds more of. The candidates are the shorter ones that share its first line; their last
    // line against its own line there sorts out most chance likenesses for two lines read, and
    // the fingerprint of as many of its own lines confirms one.
    std::optional<std::size_t> continuedOf(HistoryReader& reader, std::size_t at) const {
        const std::string& uid = m_rows[at].download.uid;
        for (std::size_t i = at; i-- > 0;) {
            const int count = m_lines[i].count;
            if (count == 0 || count >= m_lines[at].count || m_lines[i].first != m_lines[at].first ||
                lineAt(reader, uid, count - 1) !=
                    lineAt(reader, m_rows[i].download.uid, count - 1) ||
                reader.memoryFingerprint(uid, count) != m_rows[i].download.fingerprint) {
                continue;
            }
            return i;
        }
        return std::nullopt;
    }

    static std::optional<std::string> lineAt(HistoryReader& reader, const std::string& uid,
                                             int index) {
        const std::vector<KeptPoint> points = reader.memoryPoints(uid, index, 1);
        return points.empty() ? std::nullopt : std::optional(points.front().line);
    }

    // The figures of its new lines only, those after the first `from`, from their counted values,
    // at its own limits.
    pointsfile::SummaryFigures newFigures(HistoryReader& reader, std::size_t at, int from) const {
        const KeptDownload& download = m_rows[at].download;
        const pointsfile::SummaryChoices limits{
            download.lowerLimit, download.upperLimit, download.nominal, download.valueField, {}};
        pointsfile::ValueStatistics statistics(limits);
        for (const KeptPoint& point :
             reader.memoryPoints(download.uid, from, m_lines[at].count - from)) {
            if (point.value) {
                statistics.add(*point.value);
            }
        }
        return statistics.figures();
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
