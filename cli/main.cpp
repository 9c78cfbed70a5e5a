// qorb-download: the window's memory download from the command line, on the same core.
#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <string>

#include "cli/download.h"
#include "cli/port_actions.h"
#include "cli/send_pending.h"
#include "cli/utf8_arguments.h"

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
    cli::ExitStatus status = cli::ExitStatus::Internal;
    try {
        const cli::Options options = cli::parseOptions(cli::utf8Arguments());
        switch (options.action) {
            case cli::Action::Help:
                std::fputs(cli::helpText().c_str(), stdout);
                status = cli::ExitStatus::Complete;
                break;
            case cli::Action::Version:
                std::fputs(cli::versionText().c_str(), stdout);
                status = cli::ExitStatus::Complete;
                break;
            case cli::Action::Download:
                status = cli::runDownload(options, programFolder);
                break;
            case cli::Action::VersionQuery:
                status = cli::runVersionQuery(options, programFolder);
                break;
            case cli::Action::ListPorts:
                status = cli::runListPorts(programFolder);
                break;
            case cli::Action::FindGauge:
                status = cli::runFindGauge(options, programFolder);
                break;
            case cli::Action::SendPending:
                status = cli::runSendPending(options, programFolder);
                break;
        }
    } catch (const cli::UsageError& error) {
        std::fprintf(stderr, "qorb-download: %s\nTry qorb-download --help.\n", error.what());
        status = cli::ExitStatus::Usage;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qorb-download: %s\n", error.what());
    }
    std::fflush(stdout);
    return static_cast<int>(status);
}
