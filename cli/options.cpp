#include "cli/options.h"

#include <QCommandLineParser>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

#include "cli/exit_status.h"
#include "history/history_error.h"
#include "history/plant_database.h"
#include "pointsfile/file_table.h"
#include "pointsfile/tolerance_limits.h"
#include "serial/port_device.h"
#include "serial/port_selection.h"

namespace cli {

namespace {

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::int16_t baudIndexOf(std::string_view text) {
    const auto found = std::find(serial::kBaudEntries.begin(), serial::kBaudEntries.end(), text);
    if (found == serial::kBaudEntries.end()) {
        throw UsageError("--baud takes 4800, 9600, 19200, 38400, 57600 or 115200, not \"" +
                         std::string(text) + "\"");
    }
    return static_cast<std::int16_t>(found - serial::kBaudEntries.begin());
}

pointsfile::Form formOfWord(std::string_view word) {
    if (word == "txt") {
        return pointsfile::Form::Text;
    }
    if (word == "xlsx") {
        return pointsfile::Form::Workbook;
    }
    if (word == "csv") {
        return pointsfile::Form::Csv;
    }
    throw UsageError("--format takes txt, xlsx or csv, not \"" + std::string(word) + "\"");
}

// Qt takes an unknown name for the C locale; only "C" and "POSIX" may mean it.
bool knownLocale(const std::string& name) {
    return name == "C" || name == "POSIX" ||
           QLocale(QString::fromStdString(name)).language() != QLocale::C;
}

void setAction(Options& options, Action action, std::string_view option) {
    if (options.action != Action::Download && options.action != action) {
        throw UsageError(std::string(option) + " cannot be combined with another action");
    }
    options.action = action;
}

}  // namespace

PortChoice parsePortChoice(std::string_view text) {
    std::string_view digits = text;
    const bool comPrefix =
        text.size() > 3 && std::equal(text.begin(), text.begin() + 3, "com", [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
        });
    if (comPrefix) {
        digits = text.substr(3);
        while (digits.starts_with(' ')) {
            digits.remove_prefix(1);
        }
    }
    const std::optional<int> number = wholeNumber(digits);
    if (number && *number >= serial::kFirstPortNumber && *number <= serial::kLastPortNumber) {
        return {static_cast<std::int16_t>(*number), {}};
    }
    if (number && !comPrefix) {
        throw UsageError("--port: \"Com N\" runs from 1 to 16; give the device path of port " +
                         std::string(text));
    }
    if (text.empty()) {
        throw UsageError("--port needs a number, \"Com N\" or a device path");
    }
    return {std::nullopt, std::string(text)};
}

Options parseOptions(const std::vector<std::string>& arguments) {
    // The options' texts are in helpText(), with the usage forms and the exit statuses.
    QCommandLineParser parser;
    for (const char* name :
         {"settings", "port", "baud", "pace", "gap", "format", "csv-locale", "lower-limit",
          "upper-limit", "nominal", "value-field", "characteristic", "history", "database"}) {
        parser.addOption({QString::fromLatin1(name), {}, QStringLiteral("value")});
    }
    for (const char* name :
         {"statistics", "no-statistics", "deletes", "no-deletes", "spaces", "tabs", "force",
          "version", "version-query", "list-ports", "find-gauge", "no-history", "send-pending"}) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    }
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("q"), QStringLiteral("quiet")}));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    QStringList line{QStringLiteral("qorb-download")};
    for (const std::string& argument : arguments) {
        line.append(QString::fromStdString(argument));
    }
    // parse(), not process(): a refused line is a usage error, status 64, and the help is ours.
    if (!parser.parse(line)) {
        throw UsageError(parser.errorText().toStdString());
    }

    // In the order given, so that a later choice overrides an earlier one.
    Options options;
    std::map<std::string, std::string> limitTexts;
    std::optional<int> valueField;
    std::string characteristic;
    std::map<QString, qsizetype> valuesTaken;
    for (const QString& name : parser.optionNames()) {
        const std::string option = name.toStdString();
        const auto value = [&] {
            return parser.values(name).at(valuesTaken[name]++).toStdString();
        };
        if (option == "help" || option == "h") {
            setAction(options, Action::Help, "--help");
        } else if (option == "version") {
            setAction(options, Action::Version, "--version");
        } else if (option == "version-query") {
            setAction(options, Action::VersionQuery, "--version-query");
        } else if (option == "list-ports") {
            setAction(options, Action::ListPorts, "--list-ports");
        } else if (option == "find-gauge") {
            setAction(options, Action::FindGauge, "--find-gauge");
        } else if (option == "send-pending") {
            setAction(options, Action::SendPending, "--send-pending");
        } else if (option == "characteristic") {
            characteristic = pointsfile::characteristicOf(value());
        } else if (option == "history") {
            options.historyFile = value();
            if (options.historyFile->empty()) {
                throw UsageError("--history needs a FILE (--no-history keeps none)");
            }
        } else if (option == "no-history") {
            options.noHistory = true;
        } else if (option == "database") {
            options.database = value();
            try {
                history::checkConnectionString(*options.database);
            } catch (const history::HistoryError& refusal) {
                throw UsageError("--database: " + refusal.reason());
            }
        } else if (option == "settings") {
            options.settingsFile = value();
        } else if (option == "port") {
            options.port = parsePortChoice(value());
        } else if (option == "baud") {
            options.baudIndex = baudIndexOf(value());
        } else if (option == "statistics" || option == "no-statistics") {
            options.statistics = option == "statistics";
        } else if (option == "deletes" || option == "no-deletes") {
            options.deletes = option == "deletes";
        } else if (option == "spaces" || option == "tabs") {
            options.spaces = option == "spaces";
        } else if (option == "force") {
            options.force = true;
        } else if (option == "quiet" || option == "q") {
            options.quiet = true;
        } else if (option == "pace") {
            const std::string pace = value();
            if (pace != "poll" && pace != "line") {
                throw UsageError("--pace takes poll or line, not \"" + pace + "\"");
            }
            options.pace = pace == "line" ? driver::Pace::Line : driver::Pace::Poll;
        } else if (option == "gap") {
            const std::string gap = value();
            const std::optional<int> ms = wholeNumber(gap);
            if (!ms || *ms < 0 || *ms > 60000) {
                throw UsageError("--gap takes milliseconds from 0 to 60000, not \"" + gap + "\"");
            }
            options.gapMs = *ms;
        } else if (option == "format") {
            options.form = formOfWord(value());
        } else if (option == "csv-locale") {
            options.csvLocale = value();
            if (!knownLocale(options.csvLocale)) {
                throw UsageError("--csv-locale: no locale \"" + options.csvLocale +
                                 "\" (de_DE, fr_FR, en_US, C ...)");
            }
        } else if (option == "lower-limit" || option == "upper-limit" || option == "nominal") {
            limitTexts[option] = value();
        } else if (option == "value-field") {
            const std::string field = value();
            const std::optional<int> number = wholeNumber(field);
            if (!number || *number < 1) {
                throw UsageError("--value-field takes a field number from 1, not \"" + field +
                                 "\"");
            }
            valueField = number;
        }
    }
    // The same numbers whatever the locale: the command line is written once for every machine.
    const pointsfile::LimitsReading limits = pointsfile::readLimits(
        {"--lower-limit", limitTexts["lower-limit"]}, {"--upper-limit", limitTexts["upper-limit"]},
        {"--nominal", limitTexts["nominal"]}, ".");
    if (!limits.refusal.empty()) {
        throw UsageError(limits.refusal);
    }
    options.summary = limits.limits;
    options.summary.valueField = valueField;
    options.summary.characteristic = characteristic;
    if (options.noHistory && options.historyFile) {
        throw UsageError("--history and --no-history contradict each other");
    }
    if (options.noHistory && options.database) {
        throw UsageError(
            "--database needs a history: the downloads wait there until the plant "
            "database takes them");
    }

    if (parser.isSet(QStringLiteral("gap")) && options.pace != driver::Pace::Line) {
        throw UsageError("--gap needs --pace line");
    }
    const QStringList files = parser.positionalArguments();
    if (options.action == Action::Download) {
        if (files.size() != 1) {
            throw UsageError(files.empty() ? "no FILE given (- for standard output)"
                                           : "more than one FILE given");
        }
        options.file = files.front().toStdString();
        if (options.file == pointsfile::kStandardOutputName &&
            options.form == pointsfile::Form::Workbook) {
            throw UsageError("a workbook cannot be written to standard output: give a FILE");
        }
    } else if (!files.empty()) {
        throw UsageError("FILE is taken only by a download, not \"" + files.front().toStdString() +
                         "\"");
    }
    return options;
}

std::string helpText() {
    return std::string(R"(Usage: qorb-download [options] FILE
  or:  qorb-download [options] --version-query | --list-ports | --find-gauge | --send-pending
Downloads the gauge's statistics and memory points into FILE, the rows the window would write, each
on disk as it arrives. FILE - writes the rows to standard output. An existing FILE is kept unless
--force is given. {date} and {time} in FILE become the date and time of the download (2026-12-07,
141503). FILE's extension chooses its form: .xlsx a workbook that opens on a Summary of the points
(figures, run chart, histogram) and keeps the download's record on a sheet of its own (its rows wait
in FILE.rows.txt until the end), .csv a CSV file whose separator and decimal mark follow the locale
(";" and "," where decimals take a comma), anything else the points file. The choices come from
avrbl.txt in the program's folder, or from the per-user folder
${XDG_CONFIG_HOME:-$HOME/.config}/qorb-memory-to-file/ when the program's folder cannot be written
(else Com 1 at 38400, nothing ticked); the options below override one each. avrbl.txt is never
written. comN links are looked for in the same folders, the per-user one first. Every download is
also kept in a history, as the window's Options > Download History... has it (history.txt beside
avrbl.txt), unless the options below say otherwise.

Options:
  --settings FILE       read the choices from this saved settings file instead
  --port P              a number or "Com N" (1 to 16, as the window maps them), or a device
                        path (/dev/ttyUSB0, COM17)
  --baud N              4800, 9600, 19200, 38400, 57600 or 115200
  --statistics, --no-statistics   fetch the statistics points first, or not
  --deletes, --no-deletes         write the memory points marked deleted, or leave them out
  --spaces, --tabs      a blank in place of each tab, or the gauge's tabs
  --force               replace an existing FILE
  --format txt|xlsx|csv the form of FILE, whatever its name: txt the points file, xlsx a workbook
                        (not on standard output), csv a CSV file
  --csv-locale NAME     write the CSV file for spreadsheets of this locale (de_DE, C ...)
                        instead of the user's own
  --lower-limit X, --upper-limit Y, --nominal Z
                        a workbook's tolerance limits and nominal value: the starting values of
                        its Summary's input cells, which the spreadsheet can change; numbers
                        written with "." in every locale (12.5, 0.02), the lower limit below
                        the upper one; each may be left out
  --value-field N       the field the Summary's figures are of, as the Points sheet numbers it
                        (Field N), instead of the one most rows hold a decimal number in
  --characteristic NAME what the download measured ("Bore 12H7"): kept with it in the history,
                        shown on a workbook's Download sheet and in its Summary's title
  --history FILE        keep the download in this history file (SQLite) instead of the one the
                        window keeps (history.sqlite beside avrbl.txt, or in
                        ${XDG_DATA_HOME:-$HOME/.local/share}/qorb-memory-to-file/)
  --no-history          keep no history of this download
  --database CONNINFO   send the history on to the plant's PostgreSQL database: a libpq
                        connection string or URI, never with a password (libpq's password file,
                        ~/.pgpass or PGPASSFILE, or a service file holds it); what cannot be sent
                        waits in the history and goes with the next download
  --send-pending        send what waits in the history to the plant database, then end
  -q, --quiet           print errors only (no progress, no completion message)
  --pace poll|line      poll: one step per 50 ms tick, as the window (default); line: each
                        command as soon as the reply before it is complete
  --gap MS              with --pace line: at least MS milliseconds between a reply and the next
                        command (default 0)
  --version-query       send the version command and print the gauge's answer after one second
  --list-ports          show the device each of "Com 1" to "Com 16" opens and the other ports
  --find-gauge          ask every listed port for its version, one at a time, and show those
                        that answer; it writes to every port it lists
  -h, --help            show this text
  --version             show the program's name and version

SIGINT and SIGTERM end a download after the current step, with every complete row in FILE.

Exit statuses:
)") + exitStatusTable();
}

std::string versionText() {
    return "qorb-download " QORB_VERSION "\n";
}

}  // namespace cli
