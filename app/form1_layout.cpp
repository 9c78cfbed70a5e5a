#include "app/form1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "app/qt_output_label.h"
#include "driver/window_texts.h"

namespace app {

namespace {

// The window was drawn in this font; where the system has one of its proportions the captions
// fit their boxes almost as drawn.
constexpr const char* kPreferredFamilies[] = {"Liberation Sans", "Arial"};
constexpr int kPreferredPointSize = 8;
constexpr double kTwipsPerPixel = 15.0;
constexpr double kScaleStep = 0.01;

int scaled(int twips, double scale) {
    return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
}

template <typename Widget>
Widget* named(Widget* widget, const char* name, const QString& accessibleName) {
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QLabel* captionLabel(QWidget* parent, const char* name, const char* caption) {
    auto* label = new QLabel(QLatin1String(caption), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return named(label, name, QLatin1String(caption));
}

QLabel* outputLabel(QWidget* parent, const char* name, const QString& description) {
    auto* label = new OutputLabel(parent, description);
    label->setObjectName(QLatin1String(name));
    return label;
}

// The caption above an output label describes it and is linked to it as its label.
QLabel* outputLabel(QWidget* parent, const char* name, QLabel* caption) {
    QLabel* label = outputLabel(parent, name, caption->text());
    caption->setBuddy(label);
    return label;
}

// No button answers Enter or Esc while the focus is elsewhere.
QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* pushButton = new QPushButton(QLatin1String(caption), parent);
    pushButton->setAutoDefault(false);
    pushButton->setDefault(false);
    return named(pushButton, name, QLatin1String(caption));
}

QCheckBox* tickBox(QWidget* parent, const char* name, const char* caption) {
    return named(new QCheckBox(QLatin1String(caption), parent), name, QLatin1String(caption));
}

// The operator picks an entry and cannot type one.
QComboBox* dropDownList(QWidget* parent, const char* name, const char* accessibleName) {
    auto* list = new QComboBox(parent);
    list->setEditable(false);
    return named(list, name, QLatin1String(accessibleName));
}

QGroupBox* frame(QWidget* parent, const char* name, const char* caption) {
    return named(new QGroupBox(QLatin1String(caption), parent), name, QLatin1String(caption));
}

QTimer* windowTimer(QObject* parent, const char* name) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    // A coarse timer may fire 5 % early, which would cut the reply watchdog short.
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(false);
    return timer;
}

}  // namespace

void Form1::createControls() {
    setWindowTitle(QString::fromLatin1(driver::kCaption.data(),
                                       static_cast<qsizetype>(driver::kCaption.size())));
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);

    Frame1 = frame(m_client, "Frame1", "Connection");
    Label4 = captionLabel(Frame1, "Label4", "Com Port Selection:");
    Combo1 = dropDownList(Frame1, "Combo1", "Com Port Selection:");
    Label5 = captionLabel(Frame1, "Label5", "Baud Rate Selection:");
    Combo2 = dropDownList(Frame1, "Combo2", "Baud Rate Selection:");
    cmdSetNewBaudRate = button(m_client, "cmdSetNewBaudRate", "Set New Baud Rate");
    lblPortConfigured = outputLabel(m_client, "lblPortConfigured", QStringLiteral("Port status"));

    Frame2 = frame(m_client, "Frame2", "Save File Includes");
    chkIncludeStatistics = tickBox(Frame2, "chkIncludeStatistics", "Include Statistics");
    chkIncludeDeletedItem = tickBox(Frame2, "chkIncludeDeletedItem", "Include Deletes");
    CheckUseSpaceDelimiters =
        tickBox(Frame2, "CheckUseSpaceDelimiters", "Use Space Delimiters (else use Tab)");

    cmdExit = button(m_client, "cmdExit", "Exit");
    cmdGetVersion = button(m_client, "cmdGetVersion", "Get Version");
    lblDebug = outputLabel(m_client, "lblDebug", QStringLiteral("Gauge version"));
    cmdHelp = button(m_client, "cmdHelp", "Help");

    Frame3 = frame(m_client, "Frame3", "Details");
    Label1 = captionLabel(Frame3, "Label1", "Points to collect");
    lblPointsToTransfer = outputLabel(Frame3, "lblPointsToTransfer", Label1);
    Label2 = captionLabel(Frame3, "Label2", "Points Collected");
    lblPointsCollected = outputLabel(Frame3, "lblPointsCollected", Label2);
    cmdGetMemoryPoints = button(Frame3, "cmdGetMemoryPoints", "Memory Points To File");
    Label3 = captionLabel(Frame3, "Label3", "Data Written to file");
    lblEndResult = outputLabel(Frame3, "lblEndResult", Label3);
    ProgressBar1 = named(new QProgressBar(Frame3), "ProgressBar1", QStringLiteral("Progress"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);

    timerCheckData = windowTimer(this, "timerCheckData");
    tmrCheckTimeout = windowTimer(this, "tmrCheckTimeout");
    tmrVersion = windowTimer(this, "tmrVersion");
    tmrReplyGap = windowTimer(this, "tmrReplyGap");

    m_placements = {
        {Frame1, 360, 360, 2655, 2175},
        {Label4, 480, 360, 1605, 255},
        {Combo1, 480, 600, 1695, 315},
        {Label5, 480, 1080, 1605, 255},
        {Combo2, 480, 1320, 1695, 315},
        {cmdSetNewBaudRate, 3960, 1080, 1815, 375},
        {lblPortConfigured, 3960, 1680, 1815, 255},
        {Frame2, 7200, 360, 4215, 2055},
        {chkIncludeStatistics, 360, 360, 1935, 375},
        {chkIncludeDeletedItem, 360, 840, 1455, 375},
        {CheckUseSpaceDelimiters, 360, 1320, 3015, 255},
        {cmdExit, 10320, 3120, 1095, 375},
        {cmdGetVersion, 3120, 3600, 1455, 495},
        {lblDebug, 4920, 3600, 2655, 495},
        {cmdHelp, 10320, 3720, 1095, 375},
        {Frame3, 360, 4680, 11655, 3975},
        {Label1, 480, 360, 1455, 255},
        {lblPointsToTransfer, 480, 720, 1575, 255},
        {Label2, 480, 1200, 1455, 255},
        {lblPointsCollected, 480, 1560, 1575, 255},
        {cmdGetMemoryPoints, 6240, 1680, 2055, 615},
        {Label3, 480, 2160, 1815, 255},
        {lblEndResult, 480, 2520, 3015, 255},
        {ProgressBar1, 480, 3120, 10815, 375},
    };
    m_captioned = {Frame1,
                   Label4,
                   Label5,
                   cmdSetNewBaudRate,
                   Frame2,
                   chkIncludeStatistics,
                   chkIncludeDeletedItem,
                   CheckUseSpaceDelimiters,
                   cmdExit,
                   cmdGetVersion,
                   cmdHelp,
                   Frame3,
                   Label1,
                   Label2,
                   cmdGetMemoryPoints,
                   Label3};
}

void Form1::createMenu() {
    FileMenu = menuBar()->addMenu(QStringLiteral("File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    const auto entry = [this](const char* name, const char* caption, QKeyCombination shortcut) {
        QAction* action = FileMenu->addAction(QLatin1String(caption));
        action->setObjectName(QLatin1String(name));
        action->setShortcut(QKeySequence(shortcut));
        return action;
    };
    OpenMenu = entry("OpenMenu", "&Open", Qt::CTRL | Qt::Key_O);
    SaveMenu = entry("SaveMenu", "&Save", Qt::CTRL | Qt::Key_S);
    ExitMenu = entry("ExitMenu", "E&xit", Qt::CTRL | Qt::Key_X);
    OptionsMenu = menuBar()->addMenu(QStringLiteral("Options"));
    OptionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
    // A checkable entry: screen readers tell its caption and whether it is ticked.
    LineSpeedMenu = OptionsMenu->addAction(QStringLiteral("Line Speed Transfer"));
    LineSpeedMenu->setObjectName(QStringLiteral("LineSpeedMenu"));
    LineSpeedMenu->setCheckable(true);
    LineSpeedMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    DateTimeNameMenu = OptionsMenu->addAction(QStringLiteral("Date and Time in File Name"));
    DateTimeNameMenu->setObjectName(QStringLiteral("DateTimeNameMenu"));
    DateTimeNameMenu->setCheckable(true);
    DateTimeNameMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    ToleranceLimitsMenu = OptionsMenu->addAction(QStringLiteral("Tolerance Limits..."));
    ToleranceLimitsMenu->setObjectName(QStringLiteral("ToleranceLimitsMenu"));
    ToleranceLimitsMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    DownloadHistoryMenu = OptionsMenu->addAction(QStringLiteral("Download History..."));
    DownloadHistoryMenu->setObjectName(QStringLiteral("DownloadHistoryMenu"));
    DownloadHistoryMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    InfoMenu = menuBar()->addAction(QStringLiteral("Info"));
    InfoMenu->setObjectName(QStringLiteral("InfoMenu"));
}

void Form1::chooseFont() {
    for (const char* family : kPreferredFamilies) {
        if (QFontDatabase::hasFamily(QLatin1String(family))) {
            QFont preferred{QLatin1String(family)};
            preferred.setPointSize(kPreferredPointSize);
            setFont(preferred);
            break;
        }
    }
    for (const Placement& placement : m_placements) {
        placement.widget->ensurePolished();
    }
}

double Form1::fittingScale() const {
    const auto fitsAt = [this](double scale) {
        for (const Placement& placement : m_placements) {
            if (std::find(m_captioned.begin(), m_captioned.end(), placement.widget) ==
                m_captioned.end()) {
                continue;
            }
            const QSize hint =
                placement.widget->sizeHint().expandedTo(placement.widget->minimumSizeHint());
            if (hint.width() > scaled(placement.width, scale) ||
                hint.height() > scaled(placement.height, scale)) {
                return false;
            }
        }
        return true;
    };
    double scale = 1.0;
    while (!fitsAt(scale)) {
        scale += kScaleStep;
    }
    return scale;
}

int Form1::twipsToPixels(int twips) const {
    return scaled(twips, m_scale);
}

void Form1::placeControls() {
    for (const Placement& placement : m_placements) {
        placement.widget->setGeometry(twipsToPixels(placement.left), twipsToPixels(placement.top),
                                      twipsToPixels(placement.width),
                                      twipsToPixels(placement.height));
    }
    m_client->setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    // The layout is fixed: the window takes the client area and the menu bar, and no more.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Form1::orderTabs() {
    QWidget* const order[] = {Combo1,
                              Combo2,
                              cmdExit,
                              cmdSetNewBaudRate,
                              cmdGetMemoryPoints,
                              cmdHelp,
                              cmdGetVersion,
                              chkIncludeDeletedItem,
                              chkIncludeStatistics,
                              CheckUseSpaceDelimiters};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
}

}  // namespace app
