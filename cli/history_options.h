#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_reader.h"

namespace cli {

inline constexpr std::string_view kHistoryProgramName = "qorb-history";

// How qorb-history ends, for the scripts that run it: the BSD sysexits, as qorb-download's.
enum class HistoryStatus : int {
    Done = 0,
    Usage = 64,
    NothingSelected = 66,
    Unreachable = 69,
    Internal = 70,
    OutputFailed = 73,
    Unreadable = 74,
};

enum class HistoryAction { List, Csv, Workbook, Rebuild, Help, Version };

// What qorb-history's command line asked for.
struct HistoryOptions {
    HistoryAction action = HistoryAction::List;
    history::Selection selection;
    // Another history file than the window's, or the plant database instead.
    std::optional<std::string> historyFile;
    std::optional<std::string> database;
    // The file --workbook or --rebuild writes, and the download --rebuild makes again.
    std::string output;
    std::string uid;
    bool force = false;
};

// The arguments after the program's name. Throws UsageError naming what it refuses.
HistoryOptions parseHistoryOptions(const std::vector<std::string>& arguments);

// The usage, the options and the exit statuses.
std::string historyHelpText();

// The program's name and version, one line.
std::string historyVersionText();

}  // namespace cli
