#include "qt_end_to_end_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

namespace testsupport {

void WindowOnGauge::SetUp() {
    if (!simulatorAvailable()) {
        GTEST_SKIP() << "no gauge simulator or no pseudo-terminal here";
    }
    // The file dialogs keep their last folder in the user's settings; a test's folder must not
    // become where the next run's dialogs open.
    setenv("XDG_CONFIG_HOME", folder.file("config").c_str(), 1);
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

void WindowOnGauge::expectFallbackSelections() const {
    EXPECT_EQ(window->Combo1->currentText(), QStringLiteral("Com 1"));
    EXPECT_EQ(window->Combo2->currentText(), QStringLiteral("38400"));
    EXPECT_EQ(port.lineSettings().baudRate, 38400);
    EXPECT_EQ(window->lblPortConfigured->text(), QStringLiteral("Valid port"));
    for (const QCheckBox* box : window->findChildren<QCheckBox*>()) {
        EXPECT_EQ(box->checkState(), Qt::Unchecked) << qPrintable(box->objectName());
    }
}

void WindowOnGauge::startTransfer(const std::string& path) {
    driver->chooseFile(QString::fromStdString(path));
    driver->press(window->cmdGetMemoryPoints);
}

std::string WindowOnGauge::nextBox(int timeoutMs) {
    if (!driver->waitForBoxes(m_boxesTaken + 1, timeoutMs)) {
        return {};
    }
    return driver->boxes()[m_boxesTaken++].text.toStdString();
}

std::string WindowOnGauge::transferTo(const std::string& path, int timeoutMs) {
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
