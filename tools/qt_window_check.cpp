// qorb-window-check: the real window's first run on a new platform, told line by line. It opens the
// window with FOLDER as its program folder, reads the port label, opens Help and Info, reads the
// file types of the points file's save dialog, saves the settings through File > Save to
// SAVED_COPY and presses Exit, printing what each step showed. A script on the other side of the
// platform (Wine, a test machine) compares the lines and files.

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <cstdio>

#include "app/form1.h"
#include "pointsfile/file_table.h"
#include "serial/qt_serial_port.h"
#include "tools/qt_window_driver.h"

namespace {

constexpr int kBoxTimeoutMs = 10000;

// Line ends of a box's text as one visible separator, so each step stays on one line.
QByteArray oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("|")).replace(QLatin1Char('\n'), '|');
    return text.toLatin1();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fputs("Usage: qorb-window-check FOLDER SAVED_COPY\n", stderr);
        return 2;
    }
    const std::string folder = QString::fromLocal8Bit(argv[1]).toUtf8().toStdString();
    const QString savedCopy = QString::fromLocal8Bit(argv[2]);

    pointsfile::FileTable files;
    serial::QtSerialPort port({folder});
    app::Form1 window(port, files);
    window.setProgramFolder(folder);
    window.load();
    window.show();
    gaugesim::WindowDriver driver;
    std::printf("port: %s\n", window.lblPortConfigured->text().toLatin1().constData());

    // Each step's box, or a note that none came.
    const auto boxAfter = [&driver](const char* step, const std::function<void()>& action) {
        const std::size_t seen = driver.boxes().size();
        action();
        const bool shown = driver.waitForBoxes(seen + 1, kBoxTimeoutMs);
        std::printf("%s: %s\n", step,
                    shown ? oneLine(driver.boxes()[seen].text).constData() : "(no box)");
    };
    boxAfter("help", [&window] { window.cmdHelp->click(); });
    boxAfter("info", [&window] { window.InfoMenu->trigger(); });

    // Get Memory Points asks for the file first, whatever the port; the dialog is cancelled.
    window.cmdGetMemoryPoints->click();
    std::printf("types: %s\n",
                driver.fileTypesSeen().join(QLatin1Char('|')).toLatin1().constData());

    driver.chooseFile(savedCopy);
    window.SaveMenu->trigger();
    std::printf("saved: %s\n", driver.boxes().size() == 2 ? "no box" : "a box");

    window.cmdExit->click();
    std::printf("exit: %s\n", window.ended() ? "ended" : "still open");
    std::fflush(stdout);
    return 0;
}
