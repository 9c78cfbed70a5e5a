#include "cli/history_options.h"

#include <QCommandLineParser>
#include <QStringList>

#include <array>

#include "cli/options.h"
#include "history/history_error.h"
#include "history/plant_database.h"
#include "history/selection_days.h"
#include "pointsfile/file_table.h"
#include "pointsfile/tolerance_limits.h"

namespace cli {

namespace {

struct StatusLine {
    HistoryStatus status;
    std::string_view meaning;
};

constexpr std::array kStatusLines = {
    StatusLine{HistoryStatus::Done, "done"},
    StatusLine{HistoryStatus::Usage,
               "usage error: an unknown or malformed option; a trend of several characteristics"},
    StatusLine{HistoryStatus::NothingSelected,
               "nothing selected: no download matches, or none has the uid given"},
    StatusLine{HistoryStatus::Unreachable, "the plant database cannot be reached (libpq's reason)"},
    StatusLine{HistoryStatus::Internal, "an unexpected internal error"},
    StatusLine{HistoryStatus::OutputFailed,
               "the output cannot be written, or exists and --force is not given"},
    StatusLine{HistoryStatus::Unreadable, "the history cannot be read (why is told)"},
};

void setAction(HistoryOptions& options, HistoryAction action, std::string_view option) {
    if (options.action != HistoryAction::List && options.action != action) {
        throw UsageError(std::string(option) + " cannot be combined with another action");
    }
    options.action = action;
}

std::string day(const std::string& option, const std::string& text) {
    if (!history::startOfLocalDay(text)) {
        throw UsageError(option + " takes a day written as 2026-12-07, not \"" + text + "\"");
    }
    return text;
}

void checkCombinations(const HistoryOptions& options, const QStringList& files) {
    const history::Selection& selection = options.selection;
    if (options.historyFile && options.database) {
        throw UsageError("--history and --database name two histories: give one");
    }
    if (selection.since && selection.until && *selection.since > *selection.until) {
        throw UsageError("--since " + *selection.since + " is after --until " + *selection.until);
    }
    const bool filtered = selection.characteristic || selection.since || selection.until ||
                          selection.host || selection.completeOnly;
    if (options.action == HistoryAction::Rebuild) {
        if (filtered) {
            throw UsageError("--rebuild makes one download's file again: it takes no filters");
        }
        if (files.size() != 1) {
            throw UsageError("--rebuild takes a UID and a FILE (- for standard output)");
        }
    } else if (!files.empty()) {
        throw UsageError("FILE is taken only by --rebuild, not \"" + files.front().toStdString() +
                         "\"");
    }
    if (options.action == HistoryAction::Workbook &&
        options.output == pointsfile::kStandardOutputName) {
        throw UsageError("a workbook cannot be written to standard output: give a FILE.xlsx");
    }
}

}  // namespace

HistoryOptions parseHistoryOptions(const std::vector<std::string>& arguments) {
    QCommandLineParser parser;
    for (const char* name : {"history", "database", "characteristic", "since", "until", "host",
                             "workbook", "rebuild"}) {
        parser.addOption({QString::fromLatin1(name), {}, QStringLiteral("value")});
    }
    for (const char* name : {"complete-only", "csv", "force", "version"}) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    }
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    QStringList line{QString::fromLatin1(kHistoryProgramName.data())};
    for (const std::string& argument : arguments) {
        line.append(QString::fromStdString(argument));
    }
    if (!parser.parse(line)) {
        throw UsageError(parser.errorText().toStdString());
    }
    HistoryOptions options;
    history::Selection& selection = options.selection;
    for (const QString& name : parser.optionNames()) {
        const std::string option = name.toStdString();
        // The last of an option given twice counts.
        const std::string value = parser.value(name).toStdString();
        if (option == "help" || option == "h") {
            setAction(options, HistoryAction::Help, "--help");
        } else if (option == "version") {
            setAction(options, HistoryAction::Version, "--version");
        } else if (option == "csv") {
            setAction(options, HistoryAction::Csv, "--csv");
        } else if (option == "workbook") {
            setAction(options, HistoryAction::Workbook, "--workbook");
            options.output = value;
        } else if (option == "rebuild") {
            setAction(options, HistoryAction::Rebuild, "--rebuild");
            options.uid = value;
        } else if (option == "history") {
            options.historyFile = value;
        } else if (option == "database") {
            options.database = value;
            try {
                history::checkConnectionString(value);
            } catch (const history::HistoryError& refusal) {
                throw UsageError("--database: " + refusal.reason());
            }
        } else if (option == "characteristic") {
            selection.characteristic = pointsfile::characteristicOf(value);
        } else if (option == "since" || option == "until") {
            (option == "since" ? selection.since : selection.until) = day("--" + option, value);
        } else if (option == "host") {
            selection.host = value;
        } else if (option == "complete-only") {
            selection.completeOnly = true;
        } else if (option == "force") {
            options.force = true;
        }
    }
    const QStringList files = parser.positionalArguments();
    checkCombinations(options, files);
    if (options.action == HistoryAction::Rebuild) {
        options.output = files.front().toStdString();
    }
    return options;
}

std::string historyHelpText() {
    std::string text = R"(Usage: qorb-history [options]
  or:  qorb-history [options] --csv | --workbook FILE.xlsx
  or:  qorb-history [--history FILE | --database CONNINFO] [--force] --rebuild UID FILE
Reads the history of downloads that the window and qorb-download keep: the PC's own (the file the
window's Options > Download History... names, history.txt beside avrbl.txt, else history.sqlite
beside avrbl.txt or in ${XDG_DATA_HOME:-$HOME/.local/share}/qorb-memory-to-file/), or the plant's
PostgreSQL database. It never writes to the history. With no action it lists the downloads
selected, oldest first, one a line: pressed at, characteristic, host, port, points counted, mean,
standard deviation, Cpk, out of tolerance, how it ended, then the uid of the download it repeats
(the same memory read again: left out of every trend figure) and of the one it continues (its
memory began with every line of that one's: its figures are of its new lines only).

Options:
  --history FILE        read this history file (SQLite) instead of the window's
  --database CONNINFO   read the plant's PostgreSQL database instead: a libpq connection string or
                        URI, never with a password (libpq's password file, ~/.pgpass or
                        PGPASSFILE, or a service file holds it); a role that may only read is
                        enough
  --characteristic NAME the downloads of this characteristic ("" for those without one)
  --since DATE, --until DATE
                        the downloads pressed from the start of one day to the end of the other
                        (2026-12-07), each optional, in the local time zone (TZ where set)
  --host NAME           the downloads of this computer
  --complete-only       the downloads that ended with "Transfer Complete" only
  --csv                 the list as CSV (RFC 4180, "," and ".", the uid first) for other tools
  --workbook FILE.xlsx  the trend workbook of the selection: its Trend sheet (limits from the
                        newest download's, editable; figures between and within downloads; the
                        means, S and Cpk by download charts) and its Downloads sheet. The selection
                        must hold one characteristic, or name it
  --rebuild UID FILE    make the download's file again: the points file byte for byte as it was
                        written, or a CSV file (in the user's locale's style) or a workbook when
                        FILE's name ends in .csv or .xlsx; - writes the points file to standard
                        output
  --force               replace an existing FILE
  -h, --help            show this text
  --version             show the program's name and version

Exit statuses:
)";
    for (const StatusLine& line : kStatusLines) {
        std::string number = std::to_string(static_cast<int>(line.status));
        number.insert(0, 5 - number.size(), ' ');
        text += number + "  " + std::string(line.meaning) + "\n";
    }
    return text;
}

std::string historyVersionText() {
    return std::string(kHistoryProgramName) + " " QORB_VERSION "\n";
}

}  // namespace cli
