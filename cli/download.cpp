#include "cli/download.h"

#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/progress_line.h"
#include "cli/session.h"
#include "cli/stop_signals.h"
#include "gauge/transfer_texts.h"
#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"
#include "serial/port_selection.h"

namespace cli {

namespace {

constexpr int kProgressPeriodMs = 200;

void tell(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Ends the points file after SIGINT or SIGTERM: closed with every complete row, and counted.
ExitStatus endOnSignal(Session& session, const std::string& file, int signal) {
    const pointsfile::PointsFile& points = session.transfer().pointsFile();
    try {
        if (points.isOpen()) {
            session.files().close(points.number());
        }
    } catch (const pointsfile::FileError& error) {
        tell(std::string(gauge::kUnableToWrite) + error.path() + ": " + error.reason());
        return ExitStatus::FileFailed;
    }
    const int rows = points.rowsWritten();
    tell(std::string(signal == SIGINT ? "Interrupted" : "Terminated") + ": " + file + " holds " +
         std::to_string(rows) + (rows == 1 ? " row" : " rows"));
    return signal == SIGINT ? ExitStatus::Interrupted : ExitStatus::Terminated;
}

}  // namespace

ExitStatus runDownload(const Options& options, const std::string& programFolder) {
    if (options.file != pointsfile::kStandardOutputName && !options.force && exists(options.file)) {
        tell(options.file + " exists; give --force to replace it");
        return ExitStatus::FileFailed;
    }
    Session session(options, programFolder, options.file);
    if (std::string failure; !session.connect(failure)) {
        tell(std::string(serial::kInvalidPort) + ": " + failure);
        return ExitStatus::PortUnavailable;
    }

    QEventLoop loop;
    std::optional<std::string> endMessage;
    int stopSignal = 0;
    session.view().onMessage([&](const std::string& message) {
        endMessage = message;
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
        status = endOnSignal(session, options.file, stopSignal);
    } else if (endMessage) {
        status = exitStatusOfEnd(*endMessage);
        if (status != ExitStatus::Complete || !options.quiet) {
            tell(*endMessage);
        }
    }
    session.closePort();
    return status;
}

}  // namespace cli
