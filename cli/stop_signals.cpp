#include "cli/stop_signals.h"

#include <csignal>
#include <cstdio>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <QCoreApplication>
#include <QMetaObject>
#else
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#endif

namespace cli {

namespace {

// Only the event loop's thread reads or changes it.
const StopSignals* gActive = nullptr;

#ifdef _WIN32

// Windows calls this on a thread of its own: the stop is queued to the event loop's thread.
BOOL WINAPI noteControlEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [signal] {
            if (gActive != nullptr) {
                gActive->deliver(signal);
            }
        },
        Qt::QueuedConnection);
    return TRUE;
}

#else

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

#endif

}  // namespace

StopSignals::StopSignals(std::function<void(int)> onStop) : m_onStop(std::move(onStop)) {
    gActive = this;
#ifdef _WIN32
    SetConsoleCtrlHandler(noteControlEvent, TRUE);
#else
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("Cannot make a pipe for SIGINT and SIGTERM");
    }
    auto notifier = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
        unsigned char number = 0;
        if (::read(gSignalPipe[0], &number, 1) == 1) {
            deliver(number);
        }
    });
    m_waker = std::move(notifier);
    handle(SIGINT, noteSignal);
    handle(SIGTERM, noteSignal);
#endif
}

StopSignals::~StopSignals() {
    gActive = nullptr;
#ifdef _WIN32
    SetConsoleCtrlHandler(noteControlEvent, FALSE);
#else
    handle(SIGINT, SIG_DFL);
    handle(SIGTERM, SIG_DFL);
    m_waker.reset();
    ::close(gSignalPipe[0]);
    ::close(gSignalPipe[1]);
    gSignalPipe[0] = gSignalPipe[1] = -1;
#endif
}

void StopSignals::deliver(int signal) const {
    if (m_onStop) {
        m_onStop(signal);
    }
}

bool isTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(fileno(stream)) != 0;
#endif
}

}  // namespace cli
