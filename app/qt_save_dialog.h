#pragma once

#include <QString>

#include <optional>
#include <string>

#include "view/view.h"

class QFileDialog;
class QWidget;

namespace app {

// The window's save dialogs: Qt's own, which reads no file, offering the request's types with the
// one of its default extension chosen; choosing a type makes it the name's. The full path chosen,
// or nothing when the operator cancels.
std::optional<std::string> askSaveFile(QWidget* parent, const QString& objectName,
                                       const view::SaveDialogRequest& request);

// Runs a file dialog to its end: the path chosen as the core takes it (UTF-8, the system's own
// separators), or nothing.
std::optional<std::string> chosenFile(QFileDialog& dialog);

}  // namespace app
