#pragma once

#include <QFileIconProvider>

class QFileDialog;

namespace app {

// Icons and type names for the file dialogs, told from the file's name alone. Qt's own provider
// reads a file to learn its icon and type, and reading the device behind a comN link (a serial
// adapter, a pseudo-terminal) or a pipe waits for data that may never come: the dialog, and with
// it the window, would hang. Only its folder and file icons are kept: they come from the style,
// which every machine has, where the icon theme may be missing (no desktop installed) and the
// dialog's side bar would then scale an empty picture.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// Every file dialog of the window: Qt's own, which reads no file, with these icons.
void prepareFileDialog(QFileDialog& dialog);

}  // namespace app
