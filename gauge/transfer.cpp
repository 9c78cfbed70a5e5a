#include "gauge/transfer.h"

#include <exception>
#include <filesystem>

#include "gauge/commands.h"
#include "gauge/count_rule.h"
#include "gauge/transfer_texts.h"
#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"
#include "pointsfile/points_file.h"
#include "pointsfile/press_time.h"
#include "pointsfile/utf8_path.h"
#include "serial/port_error.h"
#include "serial/serial_port.h"
#include "view/view.h"

namespace gauge {

namespace {

view::SaveDialogRequest pointsFileDialog(bool dateAndTimeInName,
                                         const pointsfile::LocalTime& pressTime) {
    view::SaveDialogRequest request;
    request.title = std::string(kSaveDialogTitle);
    request.defaultName = dateAndTimeInName
                              ? pointsfile::withDateAndTime(kDefaultPointsFileName, pressTime)
                              : std::string(kDefaultPointsFileName);
    request.defaultExtension = std::string(kDefaultPointsFileExtension);
    request.filter = std::string(kPointsFileFilter);
    request.askBeforeReplacing = true;
    return request;
}

std::string unableToWrite(const pointsfile::FileError& error) {
    return std::string(kUnableToWrite) + error.path() + ": " + error.reason();
}

// Where the file is, for the history: its absolute path, or "-" for standard output.
std::string absolutePath(const std::string& path) {
    if (path == pointsfile::kStandardOutputName) {
        return path;
    }
    std::error_code error;
    const std::filesystem::path absolute =
        std::filesystem::absolute(pointsfile::pathOfUtf8(path), error);
    return error ? path : pointsfile::utf8OfPath(absolute.lexically_normal());
}

std::string formName(pointsfile::Form form) {
    switch (form) {
        case pointsfile::Form::Csv:
            return "csv";
        case pointsfile::Form::Workbook:
            return "xlsx";
        case pointsfile::Form::Text:
            break;
    }
    return "text";
}

}  // namespace

Transfer::Transfer(view::View& view, serial::SerialPort& port, pointsfile::FileTable& files)
    : m_view(view), m_port(port), m_files(files), m_watchdog(view) {}

void Transfer::startUp() {
    m_state = kIdle;
    m_reply.reset();
}

bool Transfer::press(const pointsfile::DownloadRecord& known) {
    const pointsfile::LocalTime pressTime = pointsfile::localTimeOf(m_clock());
    std::optional<std::string> chosen;
    try {
        chosen = m_view.askSaveFileName(view::SaveDialog::CD,
                                        pointsFileDialog(m_output.dateAndTimeInName, pressTime));
    } catch (const std::exception&) {
        // A dialog that fails ends the press silently, like a cancel.
        return false;
    }
    if (!chosen) {
        return false;
    }
    // The dialog let ticks run: the transfer that was running may have ended meanwhile.
    if (running()) {
        m_watchdog.stop();
        m_state = kIdle;
        closePointsFile(kTransferReplaced);
        tellHistoryFailure();
    }
    m_record = known;
    m_record.uid = m_newUid ? m_newUid() : std::string();
    m_record.pressedAt = pointsfile::isoLocalTime(pressTime);
    return beginTransfer(*chosen);
}

std::optional<std::string> Transfer::stop(std::string_view reason) {
    if (!running()) {
        return std::nullopt;
    }
    m_watchdog.stop();
    m_state = kIdle;
    return closeFile(reason);
}

bool Transfer::beginTransfer(const std::string& path) {
    m_view.setProgressPosition(0);
    const bool withStatistics = isOn(m_view.checkBoxValue(view::CheckBox::chkIncludeStatistics));
    m_record.includeStatistics = withStatistics;
    m_record.includeDeletes = isOn(m_view.checkBoxValue(view::CheckBox::chkIncludeDeletedItem));
    m_record.useSpaceDelimiters =
        isOn(m_view.checkBoxValue(view::CheckBox::CheckUseSpaceDelimiters));
    m_fileName = path;
    m_record.file = absolutePath(path);
    m_record.form = formName(m_output.form.value_or(pointsfile::formOfName(path)));
    m_summaryAtPress = m_output.summary;
    m_lines.clear();
    try {
        m_sink = pointsfile::openRowSink(m_files, path, m_output);
    } catch (const pointsfile::FileError& error) {
        m_state = kIdle;
        tell(std::string(kUnableToOpen) + path + ": " + error.reason());
        return false;
    }
    m_state = withStatistics ? kStatisticsFirstState : kMemoryFirstState;
    m_discardBeforeFirstCommand = true;
    m_watchdog.start();
    return true;
}

void Transfer::pollTick(bool portValid) {
    if (!portValid || m_messageBoxesOpen > 0 || !running()) {
        return;
    }
    try {
        step();
    } catch (const serial::PortError&) {
        // A line that failed under the transfer gives no more replies; the watchdog ends it.
    }
}

void Transfer::step() {
    switch (m_state) {
        case 2:
            send(kStatisticsOpen, 3);
            break;
        case 3:
            openingStep(4);
            break;
        case 4:
            send(kStatisticsCount, 5);
            break;
        case 5:
            countStep(Section::Statistics);
            break;
        case 6:
            send(kStatisticsNext, 7);
            break;
        case 7:
            pointStep(Section::Statistics);
            break;
        case 8:
            send(kMemoryOpen, 9);
            break;
        case 9:
            openingStep(10);
            break;
        case 10:
            send(kMemoryCount, 11);
            break;
        case 11:
            countStep(Section::Memory);
            break;
        case 12:
            send(kMemoryNext, 13);
            break;
        case 13:
            pointStep(Section::Memory);
            break;
        default:
            break;
    }
}

void Transfer::send(std::string_view command, std::int16_t next) {
    if (m_discardBeforeFirstCommand) {
        m_port.readAllPending();
        m_discardBeforeFirstCommand = false;
    }
    m_reply.sendCommand(m_port, command);
    m_state = next;
}

void Transfer::openingStep(std::int16_t next) {
    if (!m_reply.collectReply(m_port)) {
        return;
    }
    m_view.setLabelText(view::Label::lblPointsToTransfer, m_reply.buffer());
    m_watchdog.restart();
    m_state = next;
}

void Transfer::countStep(Section section) {
    if (!m_reply.collectReply(m_port)) {
        return;
    }
    const bool statistics = section == Section::Statistics;
    m_receivedCount = 0;
    std::int16_t count = -1;
    try {
        count = countOfReply(m_reply.buffer());
    } catch (const CountOverflow&) {
    }
    if (count < 0) {
        endEarly(statistics ? kInvalidStatisticsCount : kInvalidMemoryCount);
        return;
    }
    m_announcedCount = count;
    (statistics ? m_record.statisticsAnnounced : m_record.memoryAnnounced) = count;
    if (count == 0) {
        endEarly(statistics ? kNoStatisticsPoints : kNoMemoryPoints);
        return;
    }
    m_view.setProgressRange(count, 0);
    m_view.setProgressPosition(0);
    m_view.setLabelText(view::Label::lblPointsToTransfer, std::to_string(count));
    m_receivedCount = 0;
    m_state = statistics ? 6 : 12;
    m_watchdog.restart();
}

void Transfer::pointStep(Section section) {
    if (!m_reply.collectReply(m_port)) {
        return;
    }
    ++m_receivedCount;
    m_view.setProgressPosition(m_receivedCount);
    m_view.setLabelText(view::Label::lblPointsCollected, std::to_string(m_receivedCount));
    m_pointLine = pointLineOfReply(m_reply.buffer());
    m_lines.add(section, m_pointLine);
    ++m_record.rowsReceived;
    m_row = pointsfile::applyDelimiterRule(
        m_pointLine, isOn(m_view.checkBoxValue(view::CheckBox::CheckUseSpaceDelimiters)));
    m_view.setLabelText(view::Label::lblEndResult, m_row);

    const bool written =
        section == Section::Statistics ||
        pointsfile::passesDeletedPointRule(
            m_row, isOn(m_view.checkBoxValue(view::CheckBox::chkIncludeDeletedItem)));
    if (written) {
        try {
            m_sink->writeRow(section, m_pointLine, m_row);
            ++m_record.rowsWritten;
        } catch (const pointsfile::FileError& error) {
            endAfterWriteFailure(error);
            return;
        }
    }
    m_watchdog.restart();

    const bool sectionDone = m_receivedCount == m_announcedCount;
    if (section == Section::Statistics) {
        m_state = sectionDone ? kMemoryFirstState : 6;
        return;
    }
    if (!sectionDone) {
        m_state = 12;
        return;
    }
    m_watchdog.stop();
    const std::string complete = std::string(kTransferComplete) + m_fileName;
    if (closePointsFile(complete, true)) {
        tell(complete);
    }
    m_state = kIdle;
    tellHistoryFailure();
}

void Transfer::watchdogTick() {
    endEarly(kTimeout);
}

void Transfer::endEarly(std::string_view message) {
    m_watchdog.stop();
    m_state = kIdle;
    closePointsFile(message);
    tell(message);
    tellHistoryFailure();
}

void Transfer::endAfterWriteFailure(const pointsfile::FileError& error) {
    m_watchdog.stop();
    m_state = kIdle;
    const std::string message = unableToWrite(error);
    // The write failure already names the file and the reason; the close keeps what it can.
    closeFile(message);
    tell(message);
    tellHistoryFailure();
}

bool Transfer::closePointsFile(std::string_view endMessage, bool complete) {
    if (const std::optional<std::string> failure = closeFile(endMessage, complete)) {
        tell(*failure);
        return false;
    }
    return true;
}

std::optional<std::string> Transfer::closeFile(std::string_view endMessage, bool complete) {
    if (!m_sink) {
        return std::nullopt;
    }
    // Released first: whatever the close does, a later end must not close the file again.
    const std::unique_ptr<pointsfile::RowSink> sink = std::move(m_sink);
    m_record.endMessage = std::string(endMessage);
    m_record.complete = complete;
    m_record.endedAt = pointsfile::isoLocalTime(pointsfile::localTimeOf(m_clock()));
    std::optional<std::string> failure;
    try {
        sink->close(m_record);
    } catch (const pointsfile::FileError& error) {
        // The history says how the download really ended: its file was not whole.
        failure = unableToWrite(error);
        m_record.endMessage = *failure;
        m_record.complete = false;
    }
    keepDownload();
    return failure;
}

void Transfer::keepDownload() {
    m_historyFailure.reset();
    if (m_keeper != nullptr) {
        m_historyFailure = m_keeper->keep(m_record, m_summaryAtPress, m_lines);
    }
    m_lines.clear();
}

void Transfer::tellHistoryFailure() {
    if (const std::optional<std::string> failure = takeHistoryFailure()) {
        tell(*failure);
    }
}

void Transfer::tell(std::string_view message) {
    ++m_messageBoxesOpen;
    try {
        m_view.showMessageBox(message, view::MessageIcon::None);
    } catch (...) {
        --m_messageBoxesOpen;
        throw;
    }
    --m_messageBoxesOpen;
}

}  // namespace gauge
