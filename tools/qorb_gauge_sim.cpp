// qorb-gauge-sim: a gauge on a pseudo-terminal, for trying the program without the gauge.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "tools/sim_line.h"
#include "tools/sim_link.h"
#include "tools/sim_options.h"
#include "tools/sim_pty.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitBadOption = 2;

int g_stopWriteFd = -1;

void requestStop(int) {
    char byte = 0;
    (void)!::write(g_stopWriteFd, &byte, 1);
}

// A self-pipe: a signal that lands just before poll() still wakes it.
int installStopSignals() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot make the stop pipe");
    }
    g_stopWriteFd = fds[1];
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return fds[0];
}

}  // namespace

int main(int argc, char** argv) {
    gaugesim::SimOptions options;
    try {
        options = gaugesim::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const gaugesim::OptionError& error) {
        std::fprintf(stderr, "qorb-gauge-sim: %s\nTry qorb-gauge-sim --help\n", error.what());
        return kExitBadOption;
    }
    if (options.help) {
        std::fputs(gaugesim::helpText().c_str(), stdout);
        return 0;
    }

    try {
        int stopFd = installStopSignals();
        gaugesim::Pty pty;
        std::unique_ptr<gaugesim::SymbolicLink> link;
        if (options.linkPath) {
            link = std::make_unique<gaugesim::SymbolicLink>(*options.linkPath, pty.path());
        }
        std::printf("%s\n", pty.path().c_str());
        std::fflush(stdout);
        gaugesim::SimLine(pty.masterFd(), stopFd, options).run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qorb-gauge-sim: %s\n", error.what());
        return kExitFailure;
    }
    return 0;
}
