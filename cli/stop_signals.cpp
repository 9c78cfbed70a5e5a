#include "cli/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <stdexcept>

namespace cli {

namespace {

// The pipe's ends; the signal handler may only write to it.
int gSignalPipe[2] = {-1, -1};

extern "C" void noteSignal(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[1], &number, 1);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

StopSignals::StopSignals(std::function<void(int)> onStop) : m_onStop(std::move(onStop)) {
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("Cannot make a pipe for SIGINT and SIGTERM");
    }
    m_notifier = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        unsigned char number = 0;
        if (::read(gSignalPipe[0], &number, 1) == 1 && m_onStop) {
            m_onStop(number);
        }
    });
    handle(SIGINT, noteSignal);
    handle(SIGTERM, noteSignal);
}

StopSignals::~StopSignals() {
    handle(SIGINT, SIG_DFL);
    handle(SIGTERM, SIG_DFL);
    m_notifier.reset();
    ::close(gSignalPipe[0]);
    ::close(gSignalPipe[1]);
    gSignalPipe[0] = gSignalPipe[1] = -1;
}

}  // namespace cli
