#include "history/rebuild.h"

#include "history/download_facts.h"
#include "pointsfile/file_error.h"
#include "pointsfile/file_removal.h"
#include "pointsfile/file_table.h"
#include "pointsfile/points_file.h"
#include "pointsfile/row_sink.h"
#include "workbook/workbook_form.h"

namespace history {

namespace {

// The record the download's file was closed with, as the history kept it.
pointsfile::DownloadRecord recordOf(const KeptDownload& kept) {
    pointsfile::DownloadRecord record;
    record.uid = kept.uid;
    record.program = kept.program;
    record.version = kept.programVersion;
    record.pressedAt = kept.pressedAt;
    record.endedAt = kept.endedAt;
    record.port = kept.port;
    record.device = kept.device;
    record.baudRate = kept.baud ? std::to_string(*kept.baud) : std::string();
    record.includeStatistics = kept.includeStatistics;
    record.includeDeletes = kept.includeDeletes;
    record.useSpaceDelimiters = kept.spaceDelimiters;
    record.gaugeVersion = gaugeBytesOf(kept.gaugeVersion.value_or(""));
    record.statisticsAnnounced = kept.statisticsAnnounced;
    record.memoryAnnounced = kept.memoryAnnounced;
    record.rowsReceived = kept.rowsReceived;
    record.rowsWritten = kept.rowsWritten;
    record.file = kept.file;
    record.form = kept.form;
    record.endMessage = kept.endedWith;
    record.complete = kept.complete;
    return record;
}

// The rows as the transfer chose them from the lines received: every statistics line, the memory
// lines its deletes choice let through, each with its delimiter choice; as many as it wrote (a
// file that failed took no more).
void writeRows(const KeptDownload& kept, pointsfile::RowSink& sink) {
    int written = 0;
    for (const KeptPoint& point : kept.points) {
        if (written == kept.rowsWritten) {
            break;
        }
        const std::string line = gaugeBytesOf(point.line);
        const std::string row = pointsfile::applyDelimiterRule(line, kept.spaceDelimiters);
        if (point.section == pointsfile::Section::Memory &&
            !pointsfile::passesDeletedPointRule(row, kept.includeDeletes)) {
            continue;
        }
        sink.writeRow(point.section, line, row);
        ++written;
    }
}

}  // namespace

void rebuildFile(HistoryReader& reader, const std::string& uid, const std::string& path,
                 const pointsfile::CsvStyle& csv) {
    const std::optional<KeptDownload> kept = reader.read(uid);
    if (!kept) {
        throw UnknownDownload(reader.name(), "holds no download " + uid);
    }
    pointsfile::OutputChoices choices;
    choices.csv = csv;
    choices.summary = {kept->lowerLimit, kept->upperLimit, kept->nominal, kept->valueField,
                       kept->characteristic.value_or("")};
    pointsfile::FileTable files;
    const std::unique_ptr<pointsfile::RowSink> sink = pointsfile::openRowSink(files, path, choices);
    try {
        writeRows(*kept, *sink);
        sink->close(recordOf(*kept));
    } catch (const pointsfile::FileError&) {
        // The history holds every line still: a file half made again would only mislead.
        files.closeAll();
        if (path != pointsfile::kStandardOutputName) {
            pointsfile::removeIfRegularFile(path);
        }
        if (pointsfile::formOfName(path) == pointsfile::Form::Workbook) {
            pointsfile::removeIfRegularFile(workbook::workbookRowsCopyName(path));
        }
        throw;
    }
}

}  // namespace history
