#include <QApplication>
#include <QIcon>

#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/form1.h"
#include "driver/window_texts.h"
#include "pointsfile/file_table.h"
#include "serial/qt_serial_port.h"
#include "settings/settings_folders.h"

int main(int argc, char** argv) {
    // Before QApplication: --help and --version need no display.
    if (const std::optional<int> status = app::answerCommandLine(argc, argv)) {
        return *status;
    }
    QApplication application(argc, argv);
    const QString title = QString::fromLatin1(
        driver::kApplicationTitle.data(), static_cast<qsizetype>(driver::kApplicationTitle.size()));
    QApplication::setApplicationName(title);
    // No display name: the platform would append it to the window's caption.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/qorb-16.png"));
    icon.addFile(QStringLiteral(":/icons/qorb-32.png"));
    QApplication::setWindowIcon(icon);

    // Declared first, so files still open are closed after the window and the port are gone.
    pointsfile::FileTable files;
    serial::QtSerialPort port(
        settings::settingsFoldersFor(QApplication::applicationDirPath().toUtf8().toStdString())
            .linkFolders);
    app::Form1 window(port, files);
    window.load();
    window.show();
    return QApplication::exec();
}
