#include "history/download_facts.h"

#include <charconv>
#include <vector>

#include "history/sha256.h"
#include "pointsfile/fields.h"
#include "pointsfile/points_file.h"
#include "pointsfile/summary_figures.h"
#include "pointsfile/value_field.h"
#include "pointsfile/value_unit.h"

namespace history {

namespace {

using pointsfile::Section;

// U+2400 SYMBOL FOR NULL, where a NUL byte stands in a store's text.
constexpr std::string_view kNulSymbol = "\xE2\x90\x80";

void appendLatin1(std::string& text, unsigned char byte) {
    if (byte == 0) {
        text += kNulSymbol;
    } else if (byte < 0x80) {
        text += static_cast<char>(byte);
    } else {
        text += static_cast<char>(0xC0 | (byte >> 6));
        text += static_cast<char>(0x80 | (byte & 0x3F));
    }
}

// The length of the UTF-8 sequence at `at` and its code point; 0 when the bytes there are not
// one PostgreSQL would take (overlong, a surrogate, beyond U+10FFFF, cut short).
std::size_t sequenceAt(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < minimum || surrogate || codePoint > 0x10FFFF ? 0 : length;
}

bool isValidUtf8(std::string_view text) {
    char32_t ignored = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceAt(text, at, ignored);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

std::optional<std::string> unlessEmpty(std::string text) {
    return text.empty() ? std::nullopt : std::optional(std::move(text));
}

std::optional<int> integerOf(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> countOf(const pointsfile::Figure& figure) {
    if (!figure.value) {
        return std::nullopt;
    }
    return static_cast<int>(*figure.value);
}

void copyRecord(const pointsfile::DownloadRecord& record, KeptDownload& kept) {
    kept.uid = record.uid;
    kept.program = storedUtf8(record.program);
    kept.programVersion = storedUtf8(record.version);
    kept.pressedAt = record.pressedAt;
    kept.endedAt = record.endedAt;
    kept.port = storedUtf8(record.port);
    kept.device = storedUtf8(record.device);
    kept.baud = integerOf(record.baudRate);
    kept.includeStatistics = record.includeStatistics;
    kept.includeDeletes = record.includeDeletes;
    kept.spaceDelimiters = record.useSpaceDelimiters;
    kept.gaugeVersion = unlessEmpty(storedText(record.gaugeVersion));
    kept.statisticsAnnounced = record.statisticsAnnounced;
    kept.memoryAnnounced = record.memoryAnnounced;
    kept.rowsReceived = record.rowsReceived;
    kept.rowsWritten = record.rowsWritten;
    kept.endedWith = storedUtf8(record.endMessage);
    kept.complete = record.complete;
    kept.file = storedUtf8(record.file);
    kept.form = record.form;
}

}  // namespace

KeptDownload keptDownloadOf(const pointsfile::DownloadRecord& record,
                            const pointsfile::SummaryChoices& summary,
                            const pointsfile::ReceivedLines& lines) {
    KeptDownload kept;
    copyRecord(record, kept);
    kept.characteristic = unlessEmpty(storedUtf8(summary.characteristic));
    kept.lowerLimit = summary.lowerLimit;
    kept.upperLimit = summary.upperLimit;
    kept.nominal = summary.nominal;

    // The fingerprint and, unless the choices name it, the value field: both over the memory
    // lines as the gauge sent them.
    Sha256 fingerprint;
    pointsfile::ValueFieldTally tally;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines.section(i) == Section::Memory) {
            fingerprint.add(lines.line(i));
            fingerprint.add("\n");
            if (!summary.valueField) {
                tally.add(lines.line(i), pointsfile::splitFields(lines.line(i)));
            }
        }
    }
    kept.fingerprint = fingerprint.hexDigest();
    kept.valueField = summary.valueField ? summary.valueField : tally.valueField();

    pointsfile::ValueStatistics statistics(summary);
    pointsfile::ValueUnit unit;
    kept.points.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines.line(i);
        KeptPoint& point = kept.points.emplace_back();
        point.section = lines.section(i);
        point.line = storedText(line);
        if (point.section != Section::Memory) {
            continue;
        }
        point.deleted = !pointsfile::passesDeletedPointRule(line, false);
        if (kept.valueField) {
            point.value = pointsfile::countedValue(line, *kept.valueField);
        }
        if (point.value) {
            statistics.add(*point.value);
            unit.add(pointsfile::splitFields(line), *kept.valueField);
        }
    }
    copyFigures(statistics.figures(), kept);
    kept.unit = unlessEmpty(storedText(unit.unit()));
    return kept;
}

void copyFigures(const pointsfile::SummaryFigures& figures, KeptDownload& kept) {
    kept.counted = figures.points;
    kept.mean = figures.mean.value;
    kept.standardDeviation = figures.standardDeviation.value;
    kept.minimum = figures.minimum.value;
    kept.maximum = figures.maximum.value;
    kept.averageMovingRange = figures.averageMovingRange.value;
    kept.cp = figures.cp.value;
    kept.cpk = figures.cpk.value;
    kept.pp = figures.pp.value;
    kept.ppk = figures.ppk.value;
    kept.belowLsl = countOf(figures.belowLower);
    kept.aboveUsl = countOf(figures.aboveUpper);
}

std::string storedText(std::string_view gaugeBytes) {
    std::string text;
    text.reserve(gaugeBytes.size());
    for (const char c : gaugeBytes) {
        appendLatin1(text, static_cast<unsigned char>(c));
    }
    return text;
}

std::string gaugeBytesOf(std::string_view stored) {
    std::string bytes;
    bytes.reserve(stored.size());
    for (std::size_t at = 0; at < stored.size();) {
        char32_t codePoint = 0;
        const std::size_t length = sequenceAt(stored, at, codePoint);
        if (length == 0) {
            bytes += stored[at++];  // not UTF-8: the byte as it is
            continue;
        }
        at += length;
        if (codePoint == 0x2400) {
            bytes += '\0';
        } else {
            // No gauge byte becomes anything beyond Latin-1.
            bytes += codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
        }
    }
    return bytes;
}

std::string storedUtf8(std::string_view text) {
    if (!isValidUtf8(text)) {
        return storedText(text);
    }
    std::string stored;
    stored.reserve(text.size());
    for (const char c : text) {
        if (c == '\0') {
            stored += kNulSymbol;
        } else {
            stored += c;
        }
    }
    return stored;
}

}  // namespace history
