// qorb-offscreen-demo: the real window driven through one memory transfer from the gauge on
// Com 1, for machines with no screen and for the screenshot. The window takes no choices on its
// command line; this driver plays the operator at it.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <iterator>
#include <string>

#include "app/form1.h"
#include "pointsfile/file_table.h"
#include "serial/qt_serial_port.h"
#include "tools/qt_window_driver.h"

namespace {

constexpr int kTransferTimeoutMs = 60000;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const QString kCompleteText = QStringLiteral("Transfer Complete - Data saved in file ");
const QString kValidPort = QStringLiteral("Valid port");

void fail(const QString& message) {
    std::fprintf(stderr, "qorb-offscreen-demo: %s\n", message.toLocal8Bit().constData());
}

// The boxes the window showed, one per line, for a failure message.
QString boxesSeen(const gaugesim::WindowDriver& driver) {
    QString seen;
    for (const gaugesim::WindowDriver::Box& box : driver.boxes()) {
        seen += QStringLiteral("\n  box: \"") + box.text + QLatin1Char('"');
    }
    return seen.isEmpty() ? QStringLiteral("\n  no message box was shown") : seen;
}

bool transferComplete(const gaugesim::WindowDriver& driver) {
    return !driver.boxes().empty() && driver.boxes().back().text.startsWith(kCompleteText);
}

// Com 1 at the rate the settings file gave, unless the file chose another port; then the demo
// picks Com 1 and applies it as the operator would.
bool attachToComOne(app::Form1& window) {
    if (window.Combo1->currentIndex() == 0 && window.lblPortConfigured->text() == kValidPort) {
        return true;
    }
    window.Combo1->setCurrentIndex(0);
    window.cmdSetNewBaudRate->click();
    return window.lblPortConfigured->text() == kValidPort;
}

// Types the texts into the Tolerance Limits dialog (the characteristic first when there are four)
// and presses OK; false when it stays open.
bool typeLimits(app::Form1& window, const QStringList& texts) {
    bool taken = false;
    // Fires inside the dialog's own event loop, once the menu entry has opened it.
    QTimer typing;
    typing.setSingleShot(true);
    QObject::connect(&typing, &QTimer::timeout, [&texts, &taken] {
        QWidget* dialog = QApplication::activeModalWidget();
        const char* const fields[] = {"txtCharacteristic", "txtLowerLimit", "txtUpperLimit",
                                      "txtNominal"};
        const std::size_t first = texts.size() == 4 ? 0 : 1;
        for (std::size_t i = first; i < std::size(fields); ++i) {
            dialog->findChild<QLineEdit*>(QLatin1String(fields[i]))
                ->setText(texts.value(static_cast<qsizetype>(i - first)));
        }
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        taken = !dialog->isVisible();
        if (!taken) {
            static_cast<QDialog*>(dialog)->reject();
        }
    });
    typing.start(0);
    window.ToleranceLimitsMenu->trigger();
    return taken;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    QString type;
    QStringList limits;
    while (arguments.size() > 3 && (arguments.front() == QStringLiteral("--type") ||
                                    arguments.front() == QStringLiteral("--limits"))) {
        if (arguments.front() == QStringLiteral("--type")) {
            type = arguments.at(1);
        } else {
            limits = arguments.at(1).split(QLatin1Char(':'));
        }
        arguments.remove(0, 2);
    }
    if (arguments.size() != 3 || (!limits.isEmpty() && limits.size() != 3 && limits.size() != 4)) {
        std::fputs(
            "Usage: qorb-offscreen-demo [--type EXTENSION]\n"
            "                           [--limits [CHARACTERISTIC:]LOWER:UPPER:NOMINAL]\n"
            "                           PROGRAM_FOLDER POINTS_FILE PICTURE\n"
            "Opens the window with PROGRAM_FOLDER as its folder (avrbl.txt and the com1 link),\n"
            "transfers the gauge's memory on Com 1 into POINTS_FILE and saves a picture of the\n"
            "window to PICTURE (PNG). With --type (txt, xlsx, csv), the save dialog's file type\n"
            "for that extension is chosen before the name, which then needs no extension. With\n"
            "--limits, the texts are typed into Options > Tolerance Limits... first (an\n"
            "empty one for none), as the operator types them, in the locale's decimal mark.\n",
            stderr);
        return kExitUsage;
    }
    const QString& folder = arguments.at(0);
    const QString& pointsPath = arguments.at(1);
    const QString& picturePath = arguments.at(2);

    // As in the program: files outlive the window and the port.
    pointsfile::FileTable files;
    serial::QtSerialPort port({folder.toUtf8().toStdString()});
    app::Form1 window(port, files);
    window.setProgramFolder(folder.toUtf8().toStdString());
    window.load();
    window.show();
    gaugesim::WindowDriver driver;

    if (!attachToComOne(window)) {
        fail(QStringLiteral("Com 1 is not a valid port: is the gauge simulator linked as ") +
             folder + QStringLiteral("/com1?"));
        return kExitFailure;
    }

    if (!limits.isEmpty() && !typeLimits(window, limits)) {
        fail(QStringLiteral("the Tolerance Limits dialog did not take ") + limits.join(' '));
        return kExitFailure;
    }
    window.chkIncludeStatistics->setChecked(true);
    window.chkIncludeDeletedItem->setChecked(false);
    window.CheckUseSpaceDelimiters->setChecked(false);
    // Every end of a transfer shows a box: completion, an empty section or the reply timeout.
    const std::size_t boxesBefore = driver.boxes().size();
    driver.chooseFile(pointsPath, type.isEmpty() ? QString() : QStringLiteral("*.") + type);
    window.cmdGetMemoryPoints->click();
    const bool ended = gaugesim::WindowDriver::waitUntil(
        [&driver, boxesBefore] { return driver.boxes().size() > boxesBefore; }, kTransferTimeoutMs);
    if (!ended) {
        fail(QStringLiteral("the transfer did not complete within a minute; last row: \"") +
             window.lblEndResult->text() + QLatin1Char('"'));
        return kExitFailure;
    }
    if (!transferComplete(driver)) {
        fail(QStringLiteral("the transfer ended without completing:") + boxesSeen(driver) +
             QStringLiteral("\n  file types offered: ") +
             driver.fileTypesSeen().join(QStringLiteral("; ")));
        return kExitFailure;
    }
    // The name the window completed it to, as its message gives it.
    const QString writtenPath = driver.boxes().back().text.mid(kCompleteText.size());
    // Let the box close and the window repaint its last state before the picture.
    gaugesim::WindowDriver::waitUntil([] { return QApplication::activeModalWidget() == nullptr; },
                                      5000);
    gaugesim::WindowDriver::waitUntil([] { return false; }, 100);

    const QPixmap picture = window.grab();
    const bool pictureSaved = picture.save(picturePath, "PNG");

    QFile written(writtenPath);
    if (!written.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read the file written, ") + writtenPath);
        return kExitFailure;
    }
    const QByteArray content = written.readAll();
    if (writtenPath.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
        std::printf("Points file %s (%lld bytes, rows end in CR LF):\n",
                    writtenPath.toLocal8Bit().constData(), static_cast<long long>(content.size()));
        std::fwrite(content.constData(), 1, static_cast<std::size_t>(content.size()), stdout);
    } else {
        std::printf("File written: %s (%lld bytes)\n", writtenPath.toLocal8Bit().constData(),
                    static_cast<long long>(content.size()));
    }
    if (!pictureSaved) {
        fail(QStringLiteral("cannot save the picture to ") + picturePath);
        return kExitFailure;
    }
    std::printf("Picture of the window: %s\n", picturePath.toLocal8Bit().constData());
    std::fflush(stdout);

    // The window's close runs its shut-down: the port closes and the settings are saved.
    window.close();
    return 0;
}
