#include "app/qt_downloads_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include <exception>
#include <memory>
#include <optional>

#include "app/qt_output_label.h"
#include "app/qt_save_dialog.h"

namespace app {

namespace {

// Numbers sort as numbers, a figure that cannot be computed after every number; text as text.
constexpr int kSortRole = Qt::UserRole;
// A row's download, on its first cell.
constexpr int kUidRole = Qt::UserRole + 1;
// An end message with its path would widen its column past the window.
constexpr int kWidestColumn = 280;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QStandardItem* cellOf(const QString& text, const QString& detail, bool number) {
    auto* cell = new QStandardItem(text);
    cell->setToolTip(detail);
    if (number) {
        cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        bool isNumber = false;
        const double value = text.toDouble(&isNumber);
        cell->setData(isNumber ? QVariant(value) : QVariant(), kSortRole);
    } else {
        cell->setData(text, kSortRole);
    }
    return cell;
}

}  // namespace

DownloadsWindow::DownloadsWindow(view::DownloadsBrowser& browser, QWidget* parent)
    : QDialog(parent), m_browser(browser) {
    setObjectName(QStringLiteral("DownloadsWindow"));
    setWindowTitle(QStringLiteral("Downloads"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);

    auto* caption = new QLabel(QStringLiteral("Characteristic:"), this);
    m_characteristic = new QComboBox(this);
    m_characteristic->setObjectName(QStringLiteral("cboCharacteristic"));
    caption->setBuddy(m_characteristic);
    m_characteristic->setAccessibleName(caption->text());
    m_characteristic->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSortRole(kSortRole);
    m_sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblDownloads"));
    m_table->setAccessibleName(QStringLiteral("Downloads"));
    m_table->setModel(m_sorted);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setMaximumSectionSize(kWidestColumn);
    // The core's order, newest first, until a heading is clicked.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);

    m_trend = new QPushButton(QStringLiteral("Trend Workbook..."), this);
    m_trend->setObjectName(QStringLiteral("cmdTrendWorkbook"));
    m_save = new QPushButton(QStringLiteral("Save Points As..."), this);
    m_save->setObjectName(QStringLiteral("cmdSavePoints"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_trend, QDialogButtonBox::ActionRole);
    buttons->addButton(m_save, QDialogButtonBox::ActionRole);

    // Its accessible name is the status shown, read out as it changes.
    m_status = new OutputLabel(this, QStringLiteral("Status"));
    m_status->setObjectName(QStringLiteral("lblDownloadsStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* choice = new QHBoxLayout;
    choice->addWidget(caption);
    choice->addWidget(m_characteristic);
    choice->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    resize(1100, 520);

    connect(m_characteristic, &QComboBox::currentIndexChanged, this, [this] { read(false); });
    connect(m_trend, &QPushButton::clicked, this,
            [this] { guarded([this] { writeTrendWorkbook(); }); });
    connect(m_save, &QPushButton::clicked, this, [this] { guarded([this] { savePoints(); }); });
    connect(m_table, &QTableView::doubleClicked, this,
            [this] { guarded([this] { savePoints(); }); });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DownloadsWindow::enableControls);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    read(true);
}

DownloadsWindow::~DownloadsWindow() {
    if (m_working) {
        m_working->wait();
    }
}

struct DownloadsWindow::Work {
    std::vector<std::string> characteristics;
    std::optional<view::DownloadsListing> listing;
    std::string status;
};

void DownloadsWindow::beside(const QString& doing, std::function<void(Work&)> work) {
    auto done = std::make_shared<Work>();
    m_working.reset(QThread::create([work = std::move(work), done] {
        try {
            work(*done);
        } catch (const std::exception& failure) {
            done->status = failure.what();
        }
    }));
    connect(m_working.get(), &QThread::finished, this, [this, done] {
        // Deleted once its signal is delivered, not inside it.
        m_working.release()->deleteLater();
        guarded([this, done] { showWork(*done); });
        enableControls();
    });
    enableControls();
    m_status->setText(doing);
    m_working->start();
}

void DownloadsWindow::read(bool characteristicsToo) {
    const std::size_t characteristic =
        characteristicsToo ? 0 : std::size_t(std::max(m_characteristic->currentIndex(), 0));
    beside(QStringLiteral("Reading the history..."),
           [this, characteristic, characteristicsToo](Work& work) {
               if (characteristicsToo) {
                   work.characteristics = m_browser.characteristics();
               }
               work.listing = m_browser.downloads(characteristic);
           });
}

void DownloadsWindow::enableControls() {
    m_characteristic->setEnabled(!busy());
    m_trend->setEnabled(!busy());
    m_save->setEnabled(!busy() && !selectedUid().empty());
}

void DownloadsWindow::guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& failure) {
        m_status->setText(QString::fromUtf8(failure.what()));
    }
}

// A model made whole before the view sees it: the view sorts it once, not once a row.
void DownloadsWindow::showWork(const Work& work) {
    if (!work.characteristics.empty()) {
        const QSignalBlocker quiet(m_characteristic);
        for (const std::string& name : work.characteristics) {
            m_characteristic->addItem(fromUtf8(name));
        }
    }
    if (!work.listing) {
        m_status->setText(fromUtf8(work.status));
        return;
    }
    const view::DownloadsListing& listing = *work.listing;
    const std::span<const history::ListColumn> columns = m_browser.columns();
    auto model = std::make_unique<QStandardItemModel>(0, int(columns.size()), m_sorted);
    QStringList headings;
    for (const history::ListColumn& column : columns) {
        headings << QString::fromUtf8(column.heading.data(), qsizetype(column.heading.size()));
    }
    model->setHorizontalHeaderLabels(headings);
    for (const view::ListedDownload& download : listing.downloads) {
        const QString detail = fromUtf8(download.detail);
        QList<QStandardItem*> row;
        for (std::size_t column = 0; column < columns.size(); ++column) {
            const std::string text =
                column < download.cells.size() ? download.cells[column] : std::string();
            row << cellOf(fromUtf8(text), detail, columns[column].kind != history::ListKind::Text);
        }
        row.front()->setData(fromUtf8(download.uid), kUidRole);
        row.front()->setData(detail, Qt::AccessibleDescriptionRole);
        model->appendRow(row);
    }
    QAbstractItemModel* previous = m_sorted->sourceModel();
    m_sorted->setSourceModel(model.release());
    delete previous;
    m_table->resizeColumnsToContents();
    m_status->setText(fromUtf8(listing.status));
}

std::string DownloadsWindow::selectedUid() const {
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return {};
    }
    return rows.constFirst().data(kUidRole).toString().toStdString();
}

void DownloadsWindow::writeTrendWorkbook() {
    if (const std::string refusal = m_browser.trendRefusal(); !refusal.empty()) {
        m_status->setText(fromUtf8(refusal));
        return;
    }
    const auto characteristic = std::size_t(std::max(m_characteristic->currentIndex(), 0));
    const std::optional<std::string> path = askSaveFile(
        this, QStringLiteral("TrendWorkbookDialog"), m_browser.trendWorkbookDialog(characteristic));
    if (path) {
        beside(QStringLiteral("Writing the trend workbook..."),
               [this, characteristic, path = *path](Work& work) {
                   work.status = m_browser.writeTrendWorkbook(characteristic, path);
               });
    }
}

void DownloadsWindow::savePoints() {
    const std::string uid = selectedUid();
    if (uid.empty() || busy()) {
        return;
    }
    const std::optional<std::string> path =
        askSaveFile(this, QStringLiteral("SavePointsDialog"), m_browser.savePointsDialog(uid));
    if (path) {
        beside(QStringLiteral("Making the download's file again..."),
               [this, uid, path = *path](Work& work) {
                   work.status = m_browser.savePoints(uid, path);
               });
    }
}

}  // namespace app
