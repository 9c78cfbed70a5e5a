// qorb-history: the history of downloads read from the command line, its list, its trend workbook
// and any download's file made again.
#include <QCoreApplication>

#include <cstdio>
#include <exception>

#include "cli/history_run.h"
#include "cli/options.h"
#include "cli/utf8_arguments.h"

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
    cli::HistoryStatus status = cli::HistoryStatus::Internal;
    try {
        const cli::HistoryOptions options = cli::parseHistoryOptions(cli::utf8Arguments());
        if (options.action == cli::HistoryAction::Help) {
            std::fputs(cli::historyHelpText().c_str(), stdout);
            status = cli::HistoryStatus::Done;
        } else if (options.action == cli::HistoryAction::Version) {
            std::fputs(cli::historyVersionText().c_str(), stdout);
            status = cli::HistoryStatus::Done;
        } else {
            status = cli::runHistory(options, programFolder);
        }
    } catch (const cli::UsageError& error) {
        std::fprintf(stderr, "qorb-history: %s\nTry qorb-history --help.\n", error.what());
        status = cli::HistoryStatus::Usage;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qorb-history: %s\n", error.what());
    }
    std::fflush(stdout);
    return static_cast<int>(status);
}
