#include "settings/save_command.h"

#include <exception>
#include <optional>
#include <string>

#include "settings/settings_file.h"
#include "view/view.h"

namespace settings {

void saveSettingsAs(view::View& view, pointsfile::FileTable& files) {
    view::SaveDialogRequest request;
    request.title = kSaveDialogTitle;
    request.filter = kSaveDialogFilter;
    std::optional<std::string> path;
    try {
        path = view.askSaveFileName(view::SaveDialog::BrowseDialog, request);
    } catch (const std::exception&) {
        return;
    }
    if (!path) {
        return;
    }
    SaveSettings(view, files, *path);
}

}  // namespace settings
