#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "gauge/download_keeper.h"
#include "gauge/reply_exchange.h"
#include "gauge/watchdog.h"
#include "pointsfile/download_record.h"
#include "pointsfile/received_lines.h"
#include "pointsfile/row_sink.h"

namespace serial {
class SerialPort;
}
namespace view {
class View;
}
namespace pointsfile {
class FileError;
class FileTable;
}  // namespace pointsfile

namespace gauge {

// The download of the gauge's statistics and memory points into the points file (or a CSV file or
// workbook, as the name or the front end chooses), one step per poll tick: states 2 to 7 are the
// statistics section (opening, count, points), 8 to 13 the memory section; 1 is idle.
class Transfer {
public:
    static constexpr std::int16_t kIdle = 1;
    static constexpr std::int16_t kStatisticsFirstState = 2;
    static constexpr std::int16_t kMemoryFirstState = 8;

    Transfer(view::View& view, serial::SerialPort& port, pointsfile::FileTable& files);

    // The window's load: idle, with an empty reply.
    void startUp();
    // How the next transfers' files are offered and written.
    void chooseOutput(const pointsfile::OutputChoices& choices) { m_output = choices; }
    const pointsfile::OutputChoices& output() const { return m_output; }
    // Where the time of a press and of an end comes from.
    void setClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }
    // Where each download goes once its file is closed; none keeps nothing. `newUid` names each
    // download at its press.
    void keepDownloadsIn(DownloadKeeper* keeper, std::function<std::string()> newUid) {
        m_keeper = keeper;
        m_newUid = std::move(newUid);
    }

    // "Memory Points To File": asks for the file, opens it and starts the sequence. `known` is
    // what the caller knows of the download (program, port, baud, gauge version); the transfer
    // adds the rest. True when a transfer began.
    bool press(const pointsfile::DownloadRecord& known = {});
    // Ends a running transfer from outside (the window closed, a signal): its file is closed with
    // every row so far and the reason as its end. The close's failure, when there is one; the
    // history's is then taken with takeHistoryFailure.
    std::optional<std::string> stop(std::string_view reason);
    // Why the last download could not be kept in the history, once; the transfer tells it itself
    // after its own end message, but for stop's.
    std::optional<std::string> takeHistoryFailure() { return std::exchange(m_historyFailure, {}); }
    // timerCheckData: the one action of the current state. Does nothing while the port is not
    // valid, while idle, and while one of the transfer's own message boxes is open.
    void pollTick(bool portValid);
    // tmrCheckTimeout: no complete reply for the watchdog's whole period.
    void watchdogTick();

    bool running() const { return m_state > kIdle && m_state <= 13; }
    std::int16_t state() const { return m_state; }
    std::int16_t announcedCount() const { return m_announcedCount; }
    std::int16_t receivedCount() const { return m_receivedCount; }
    const std::string& pointLine() const { return m_pointLine; }
    const std::string& row() const { return m_row; }
    const ReplyExchange& reply() const { return m_reply; }
    bool fileOpen() const { return m_sink != nullptr; }
    const std::string& fileName() const { return m_fileName; }
    // Rows handed to the file since the press: what it holds.
    int rowsWritten() const { return m_record.rowsWritten; }
    const pointsfile::DownloadRecord& record() const { return m_record; }
    const pointsfile::ReceivedLines& receivedLines() const { return m_lines; }

private:
    using Section = pointsfile::Section;

    bool beginTransfer(const std::string& path);
    void step();
    void send(std::string_view command, std::int16_t next);
    void openingStep(std::int16_t next);
    void countStep(Section section);
    void pointStep(Section section);
    // Ends the transfer early: watchdog off, idle, file closed with its rows, then the message.
    void endEarly(std::string_view message);
    void endAfterWriteFailure(const pointsfile::FileError& error);
    // Closes the file with the end message in its record; a failing close is reported, since rows
    // may not have reached the disk.
    bool closePointsFile(std::string_view endMessage, bool complete = false);
    // The failure's text when the close fails. The download is kept in the history after the
    // close, with the close's failure as its end when there is one.
    std::optional<std::string> closeFile(std::string_view endMessage, bool complete = false);
    void keepDownload();
    void tell(std::string_view message);
    // After the transfer's own end message: the history's failure, when there is one.
    void tellHistoryFailure();
    bool isOn(int checkBoxValue) const { return checkBoxValue == 1; }

    view::View& m_view;
    serial::SerialPort& m_port;
    pointsfile::FileTable& m_files;
    std::unique_ptr<pointsfile::RowSink> m_sink;
    std::string m_fileName;
    pointsfile::DownloadRecord m_record;
    pointsfile::ReceivedLines m_lines;
    // The limits and characteristic the download began with, for the history.
    pointsfile::SummaryChoices m_summaryAtPress;
    pointsfile::OutputChoices m_output;
    DownloadKeeper* m_keeper = nullptr;
    std::function<std::string()> m_newUid;
    std::optional<std::string> m_historyFailure;
    std::function<std::time_t()> m_clock = [] { return std::time(nullptr); };
    Watchdog m_watchdog;
    ReplyExchange m_reply;

    std::int16_t m_state = 0;
    std::int16_t m_announcedCount = 0;
    std::int16_t m_receivedCount = 0;
    std::string m_pointLine;
    std::string m_row;
    // Text a gauge sent after an earlier timeout must not become this transfer's first reply.
    bool m_discardBeforeFirstCommand = false;
    // Ticks that come while one of this transfer's boxes is open leave the sequence alone, so
    // no reply is handled twice.
    int m_messageBoxesOpen = 0;
};

}  // namespace gauge
