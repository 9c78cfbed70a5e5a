#include "cli/history_choice.h"

namespace cli {

history::HistoryChoices historyChoicesFor(const Options& options,
                                          const history::HistoryChoices& remembered) {
    history::HistoryChoices choices = remembered;
    if (options.noHistory) {
        choices.keep = false;
    }
    if (options.historyFile) {
        choices.keep = true;
        choices.file = *options.historyFile;
    }
    if (options.database) {
        if (!choices.keep) {
            throw UsageError(
                "--database needs a history: the downloads wait there until the "
                "plant database takes them (the window keeps none; give --history)");
        }
        choices.database = *options.database;
    }
    if (!choices.keep) {
        choices.database.clear();
    }
    return choices;
}

}  // namespace cli
