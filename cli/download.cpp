#include "cli/download.h"

#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "cli/progress_line.h"
#include "cli/session.h"
#include "cli/stop_signals.h"
#include "gauge/transfer_texts.h"
#include "history/background_sender.h"
#include "history/history_keeper.h"
#include "history/history_state.h"
#include "history/plant_database.h"
#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"
#include "pointsfile/press_time.h"
#include "pointsfile/utf8_path.h"
#include "serial/port_selection.h"

namespace cli {

namespace {

constexpr int kProgressPeriodMs = 200;

void tell(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(
        std::filesystem::symlink_status(pointsfile::pathOfUtf8(path), error));
}

// Ends the file after SIGINT or SIGTERM: closed with every complete row and, in a workbook, the
// signal as its end; then counted.
ExitStatus endOnSignal(Session& session, int signal) {
    const std::string how = signal == SIGINT ? "Interrupted" : "Terminated";
    const std::optional<std::string> failure = session.stopTransfer(how);
    // The signal's own status stands; the history's failure is told all the same.
    if (const std::optional<std::string> notKept = session.transfer().takeHistoryFailure()) {
        tell(*notKept);
    }
    if (failure) {
        tell(*failure);
        return ExitStatus::FileFailed;
    }
    const int rows = session.transfer().rowsWritten();
    tell(how + ": " + session.transfer().fileName() + " holds " + std::to_string(rows) +
         (rows == 1 ? " row" : " rows"));
    return signal == SIGINT ? ExitStatus::Interrupted : ExitStatus::Terminated;
}

// Sends what waits in the history, this download first among them when it could not go before;
// a plant database that is away costs the download nothing: it is told in one line.
void sendToPlantDatabase(const Session& session) {
    if (session.historyPath().empty() || session.plantDatabase().empty()) {
        return;
    }
    const history::SendReport report =
        history::sendWaitingFrom(session.historyPath(), session.plantDatabase());
    if (report.waiting > 0) {
        tell(std::string(kProgramName) + ": " + history::waitingText(report));
    }
}

// "... saved in file -" says little on a terminal.
std::string namingStandardOutput(const std::string& message) {
    const std::string dash =
        std::string(gauge::kTransferComplete) + std::string(pointsfile::kStandardOutputName);
    return message == dash ? std::string(gauge::kTransferComplete) + "- (standard output)"
                           : message;
}

}  // namespace

ExitStatus runDownload(const Options& options, const std::string& programFolder) {
    const std::string file =
        pointsfile::expandDateAndTime(options.file, pointsfile::localTimeOf(std::time(nullptr)));
    const bool toStandardOutput = file == pointsfile::kStandardOutputName;
    if (!toStandardOutput && !options.force && exists(file)) {
        tell(file + " exists; give --force to replace it");
        return ExitStatus::FileFailed;
    }
    Session session(options, programFolder, file);
    if (std::string failure; !session.connect(failure)) {
        tell(std::string(serial::kInvalidPort) + ": " + failure);
        return ExitStatus::PortUnavailable;
    }

    QEventLoop loop;
    // The transfer's end, then what it tells after it (the history's failure).
    std::optional<std::string> endMessage;
    std::vector<std::string> afterEnd;
    int stopSignal = 0;
    session.view().onMessage([&](const std::string& message) {
        if (endMessage) {
            afterEnd.push_back(message);
        } else {
            endMessage = message;
        }
        loop.quit();
    });
    const StopSignals stopSignals([&](int signal) {
        stopSignal = signal;
        loop.quit();
    });
    std::unique_ptr<ProgressLine> progress;
    QTimer progressTimer;
    if (!options.quiet && isTerminal(stderr)) {
        progress = std::make_unique<ProgressLine>(session.transfer(), options.pace, stderr);
        QObject::connect(&progressTimer, &QTimer::timeout,
                         [&] { progress->redraw(ProgressLine::Clock::now()); });
        progressTimer.start(kProgressPeriodMs);
    }

    session.pressGetMemoryPoints();
    if (!endMessage) {
        loop.exec();
    }
    session.view().stopTimers();
    progressTimer.stop();
    if (progress) {
        progress->clear();
    }

    ExitStatus status = ExitStatus::Internal;
    if (stopSignal != 0 && !endMessage) {
        status = endOnSignal(session, stopSignal);
    } else if (endMessage) {
        status = exitStatusOfEnd(*endMessage);
        if (status != ExitStatus::Complete || !options.quiet) {
            tell(toStandardOutput ? namingStandardOutput(*endMessage) : *endMessage);
        }
        for (const std::string& message : afterEnd) {
            tell(message);
            if (status == ExitStatus::Complete && message.starts_with(history::kNotKeptStart)) {
                status = ExitStatus::HistoryFailed;
            }
        }
    }
    session.closePort();
    sendToPlantDatabase(session);
    return status;
}

}  // namespace cli
