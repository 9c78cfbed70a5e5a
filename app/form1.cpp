#include "app/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <exception>

#include "pointsfile/qt_csv_style.h"
#include "serial/serial_port.h"

namespace app {

namespace {

constexpr view::Timer kTimers[] = {view::Timer::timerCheckData, view::Timer::tmrCheckTimeout,
                                   view::Timer::tmrVersion, view::Timer::tmrReplyGap};

}  // namespace

Form1::Form1(serial::SerialPort& port, pointsfile::FileTable& files, QWidget* parent)
    : QMainWindow(parent), m_core(*this, port, files) {
    setObjectName(QStringLiteral("Form1"));
    createControls();
    createMenu();
    chooseFont();
    m_scale = fittingScale();
    placeControls();
    orderTabs();
    connectEvents(port);
    // A CSV file opens right in a spreadsheet of the user's locale: its decimal mark decides.
    m_core.chooseForm(std::nullopt, pointsfile::csvStyleOfLocale(QLocale::system()));
    m_core.sendWaitingWith(&m_sender);
    Combo1->setFocus();
}

Form1::~Form1() = default;

void Form1::load() {
    guarded([this] { m_core.onLoad(); });
}

void Form1::guarded(const std::function<void()>& handler) {
    if (m_ended) {
        return;
    }
    try {
        handler();
    } catch (const std::exception& error) {
        showMessageBox(error.what(), view::MessageIcon::None);
    } catch (...) {
        showMessageBox("Unexpected error", view::MessageIcon::None);
    }
}

void Form1::connectEvents(serial::SerialPort& port) {
    using driver::WindowCore;
    const auto forward = [this](auto* sender, auto signal, void (WindowCore::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { guarded([this, handler] { (m_core.*handler)(); }); });
    };
    forward(cmdSetNewBaudRate, &QPushButton::clicked, &WindowCore::onSetNewBaudRate);
    forward(cmdGetMemoryPoints, &QPushButton::clicked, &WindowCore::onGetMemoryPoints);
    forward(cmdGetVersion, &QPushButton::clicked, &WindowCore::onGetVersion);
    forward(cmdHelp, &QPushButton::clicked, &WindowCore::onHelp);
    forward(cmdExit, &QPushButton::clicked, &WindowCore::onExit);
    forward(OpenMenu, &QAction::triggered, &WindowCore::onOpenMenu);
    forward(SaveMenu, &QAction::triggered, &WindowCore::onSaveMenu);
    forward(ExitMenu, &QAction::triggered, &WindowCore::onExit);
    forward(InfoMenu, &QAction::triggered, &WindowCore::onInfoMenu);
    forward(ToleranceLimitsMenu, &QAction::triggered, &WindowCore::onToleranceLimitsMenu);
    forward(DownloadHistoryMenu, &QAction::triggered, &WindowCore::onDownloadHistoryMenu);
    connect(LineSpeedMenu, &QAction::triggered, this, [this](bool checked) {
        guarded([this, checked] { m_core.onLineSpeedMenu(checked); });
    });
    connect(DateTimeNameMenu, &QAction::triggered, this, [this](bool checked) {
        guarded([this, checked] { m_core.onDateTimeNameMenu(checked); });
    });

    for (const view::Timer which : kTimers) {
        connect(timer(which), &QTimer::timeout, this,
                [this, which] { guarded([this, which] { m_core.onTimerTick(which); }); });
    }
    // The port may outlive the window: a notice that comes after it finds nobody to tell.
    port.onInputArrived([window = QPointer<Form1>(this)] {
        if (window) {
            window->guarded([&window] { window->m_core.onInputArrived(); });
        }
    });
}

void Form1::closeEvent(QCloseEvent* event) {
    // The unload is never refused; the core runs its shut-down only once.
    guarded([this] { m_core.onUnload(); });
    event->accept();
}

void Form1::unloadWindow() {
    close();
}

void Form1::endProgram() {
    m_ended = true;
    for (const view::Timer which : kTimers) {
        timer(which)->stop();
    }
    QCoreApplication::exit(0);
}

}  // namespace app
