#pragma once

#include <memory>
#include <string>

#include "pointsfile/csv_form.h"
#include "view/view.h"

namespace history {
class WaitingSender;
}

namespace driver {

// What the Download History dialog reads while it is open: the state of the history its choices
// name, their refusal, the plant database's test, and the downloads of its Downloads window, whose
// CSV files are written in the window's style.
class HistoryDialogActions : public view::HistoryDialogActions {
public:
    HistoryDialogActions(std::string programFolder, const history::WaitingSender* sender,
                         pointsfile::CsvStyle csv)
        : m_programFolder(std::move(programFolder)), m_sender(sender), m_csv(csv) {}

    std::string stateOf(const history::HistoryChoices& choices) override;
    std::string refusalOf(const history::HistoryChoices& choices) override;
    std::string testConnection(const std::string& database) override;
    std::unique_ptr<view::DownloadsBrowser> browseDownloads(
        const history::HistoryChoices& choices) override;

private:
    std::string m_programFolder;
    const history::WaitingSender* m_sender;
    pointsfile::CsvStyle m_csv;
};

// The history file the choices name: their own, else the default place for the program folder.
std::string historyFileOf(const history::HistoryChoices& choices, const std::string& programFolder);

}  // namespace driver
