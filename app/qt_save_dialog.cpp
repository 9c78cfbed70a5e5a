#include "app/qt_save_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "app/qt_display_text.h"
#include "app/qt_name_only_icon_provider.h"

namespace app {

namespace {

// The extension a type's pattern gives a name ("Excel workbook (*.xlsx)" gives "xlsx"); none for
// "All files (*)".
QString extensionOfType(const QString& type) {
    const qsizetype star = type.lastIndexOf(QStringLiteral("(*."));
    return star < 0 ? QString() : type.mid(star + 3).chopped(1);
}

// Choosing a type makes it the name's: a name without an extension gets the type's, and a name
// that carries another type's extension takes this one instead, since the extension chooses
// the form the file is written in.
void followChosenType(QFileDialog& dialog, const QString& type) {
    const QString extension = extensionOfType(type);
    dialog.setDefaultSuffix(extension);
    const QStringList chosen = dialog.selectedFiles();
    if (extension.isEmpty() || chosen.size() != 1) {
        return;
    }
    const QFileInfo name(chosen.constFirst());
    QStringList typeExtensions;
    for (const QString& filter : dialog.nameFilters()) {
        typeExtensions << extensionOfType(filter);
    }
    if (typeExtensions.contains(name.suffix(), Qt::CaseInsensitive) &&
        name.suffix().compare(extension, Qt::CaseInsensitive) != 0) {
        dialog.selectFile(name.completeBaseName() + QLatin1Char('.') + extension);
    }
}

}  // namespace

std::optional<std::string> askSaveFile(QWidget* parent, const QString& objectName,
                                       const view::SaveDialogRequest& request) {
    QFileDialog dialog(parent, QString::fromLatin1(request.title));
    dialog.setObjectName(objectName);
    prepareFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.askBeforeReplacing);
    const QString extension = QString::fromLatin1(request.defaultExtension);
    if (const QStringList filters = nameFilters(request.filter); !filters.isEmpty()) {
        dialog.setNameFilters(filters);
        for (const QString& filter : filters) {
            if (extensionOfType(filter).compare(extension, Qt::CaseInsensitive) == 0) {
                dialog.selectNameFilter(filter);
                break;
            }
        }
    }
    dialog.setDefaultSuffix(extension);
    if (!request.defaultName.empty()) {
        dialog.selectFile(QString::fromUtf8(request.defaultName));
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& type) { followChosenType(dialog, type); });
    return chosenFile(dialog);
}

std::optional<std::string> chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toUtf8().toStdString();
}

}  // namespace app
