#include "app/qt_name_only_icon_provider.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMimeDatabase>

namespace app {

QIcon NameOnlyIconProvider::icon(IconType type) const {
    return QFileIconProvider::icon(type);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    return QFileIconProvider::icon(info.isDir() ? Folder : File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    if (info.isDir()) {
        return QStringLiteral("Folder");
    }
    return QMimeDatabase()
        .mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension)
        .comment();
}

void prepareFileDialog(QFileDialog& dialog) {
    static NameOnlyIconProvider iconProvider;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&iconProvider);
}

}  // namespace app
