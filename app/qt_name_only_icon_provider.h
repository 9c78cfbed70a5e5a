#pragma once

#include <QAbstractFileIconProvider>

namespace app {

// Icons and type names for the file dialogs, told from the file's name alone. Qt's own provider
// reads a file to learn its type, and reading the device behind a comN link (a serial adapter, a
// pseudo-terminal) or a pipe waits for data that may never come: the dialog, and with it the
// window, would hang.
class NameOnlyIconProvider : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

}  // namespace app
