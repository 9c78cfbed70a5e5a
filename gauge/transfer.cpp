#include "gauge/transfer.h"

#include <exception>

#include "gauge/commands.h"
#include "gauge/count_rule.h"
#include "gauge/transfer_texts.h"
#include "pointsfile/file_error.h"
#include "serial/port_error.h"
#include "serial/serial_port.h"
#include "view/view.h"

namespace gauge {

namespace {

view::SaveDialogRequest pointsFileDialog() {
    view::SaveDialogRequest request;
    request.title = std::string(kSaveDialogTitle);
    request.defaultName = std::string(kDefaultPointsFileName);
    request.defaultExtension = std::string(kDefaultPointsFileExtension);
    request.askBeforeReplacing = true;
    return request;
}

}  // namespace

Transfer::Transfer(view::View& view, serial::SerialPort& port, pointsfile::FileTable& files)
    : m_view(view), m_port(port), m_pointsFile(files), m_watchdog(view) {}

void Transfer::startUp() {
    m_state = kIdle;
    m_reply.reset();
}

bool Transfer::press() {
    std::optional<std::string> chosen;
    try {
        chosen = m_view.askSaveFileName(view::SaveDialog::CD, pointsFileDialog());
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
        closePointsFile();
    }
    return beginTransfer(*chosen);
}

bool Transfer::beginTransfer(const std::string& path) {
    m_view.setProgressPosition(0);
    const bool withStatistics = isOn(m_view.checkBoxValue(view::CheckBox::chkIncludeStatistics));
    try {
        m_pointsFile.open(path);
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
    m_row = pointsfile::applyDelimiterRule(
        m_pointLine, isOn(m_view.checkBoxValue(view::CheckBox::CheckUseSpaceDelimiters)));
    m_view.setLabelText(view::Label::lblEndResult, m_row);

    const bool written =
        section == Section::Statistics ||
        pointsfile::passesDeletedPointRule(
            m_row, isOn(m_view.checkBoxValue(view::CheckBox::chkIncludeDeletedItem)));
    if (written) {
        try {
            m_pointsFile.writeRow(m_row);
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
    if (closePointsFile()) {
        tell(std::string(kTransferComplete) + m_pointsFile.name());
    }
    m_state = kIdle;
}

void Transfer::watchdogTick() {
    endEarly(kTimeout);
}

void Transfer::endEarly(std::string_view message) {
    m_watchdog.stop();
    m_state = kIdle;
    closePointsFile();
    tell(message);
}

void Transfer::endAfterWriteFailure(const pointsfile::FileError& error) {
    m_watchdog.stop();
    m_state = kIdle;
    try {
        m_pointsFile.close();
    } catch (const pointsfile::FileError&) {
        // The write failure below already names the file and the reason.
    }
    tell(std::string(kUnableToWrite) + error.path() + ": " + error.reason());
}

bool Transfer::closePointsFile() {
    try {
        m_pointsFile.close();
        return true;
    } catch (const pointsfile::FileError& error) {
        tell(std::string(kUnableToWrite) + error.path() + ": " + error.reason());
        return false;
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
