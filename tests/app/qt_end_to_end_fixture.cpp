#include "qt_end_to_end_fixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace testsupport {

void WindowOnGauge::SetUp() {
    if (!simulatorAvailable()) {
        GTEST_SKIP() << "no gauge simulator or no pseudo-terminal here";
    }
    writeBytes(folder.path() / "statistics-points.txt", kStatisticsPoints);
    writeBytes(folder.path() / "memory-points.txt", kMemoryPoints);
}

void WindowOnGauge::startGauge(const std::vector<std::string>& options, int baud) {
    gauge.reset();
    std::vector<std::string> arguments = {"--link",
                                          folder.file("com1"),
                                          "--baud",
                                          std::to_string(baud),
                                          "--statistics-file",
                                          folder.file("statistics-points.txt"),
                                          "--memory-file",
                                          folder.file("memory-points.txt")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    gauge.emplace(arguments);
}

void WindowOnGauge::startWindow() {
    window = std::make_unique<app::Form1>(port, files);
    window->setProgramFolder(folder.path().string());
    driver = std::make_unique<gaugesim::WindowDriver>(*window);
    window->load();
}

void WindowOnGauge::startTransfer(const std::string& path) {
    driver->chooseFile(text(path));
    driver->press(window->cmdGetMemoryPoints);
}

QString WindowOnGauge::nextBox(int timeoutMs) {
    if (!driver->waitForBoxes(m_boxesTaken + 1, timeoutMs)) {
        return {};
    }
    return driver->boxes()[m_boxesTaken++].text;
}

QString WindowOnGauge::transferTo(const std::string& path, int timeoutMs) {
    startTransfer(path);
    return nextBox(timeoutMs);
}

int WindowOnGauge::exitProgram() {
    // Both timers go with this object, so neither can end a later test's event loop.
    QObject scope;
    QTimer::singleShot(0, &scope, [this] { driver->press(window->cmdExit); });
    QTimer::singleShot(10000, &scope, [] { QCoreApplication::exit(-1); });
    return QApplication::exec();
}

}  // namespace testsupport
