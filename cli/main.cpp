// qorb-download: the window's memory download from the command line, on the same core.
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/download.h"
#include "cli/port_actions.h"
#include "cli/send_pending.h"

namespace {

// The arguments in UTF-8, the form every path takes in the program. Windows hands argv over in the
// ANSI code page, where "Meßtechnik" is not the UTF-8 name and a Cyrillic name on a Western
// system is lost to question marks; Qt reads the UTF-16 command line there.
std::vector<std::string> utf8Arguments() {
    std::vector<std::string> arguments;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i) {
        arguments.push_back(all[i].toStdString());
    }
    return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
    cli::ExitStatus status = cli::ExitStatus::Internal;
    try {
        const cli::Options options = cli::parseOptions(utf8Arguments());
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
