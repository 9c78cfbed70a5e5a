#pragma once

#include <string>

#include "view/view.h"

namespace history {
class WaitingSender;
}

namespace driver {

// What the Download History dialog reads while it is open: the state of the history its choices
// name, their refusal, and the plant database's test.
class HistoryDialogActions : public view::HistoryDialogActions {
public:
    HistoryDialogActions(std::string programFolder, const history::WaitingSender* sender)
        : m_programFolder(std::move(programFolder)), m_sender(sender) {}

    std::string stateOf(const history::HistoryChoices& choices) override;
    std::string refusalOf(const history::HistoryChoices& choices) override;
    std::string testConnection(const std::string& database) override;

private:
    std::string m_programFolder;
    const history::WaitingSender* m_sender;
};

// The history file the choices name: their own, else the default place for the program folder.
std::string historyFileOf(const history::HistoryChoices& choices, const std::string& programFolder);

}  // namespace driver
