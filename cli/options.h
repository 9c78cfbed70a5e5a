#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "driver/pacer.h"
#include "pointsfile/row_sink.h"

namespace cli {

inline constexpr std::string_view kProgramName = "qorb-download";

enum class Action { Download, VersionQuery, ListPorts, FindGauge, SendPending, Help, Version };

// Where the gauge is: a "Com N" number, or a device the sixteen numbers do not reach.
struct PortChoice {
    std::optional<std::int16_t> number;
    std::string device;
};

// What the command line asked for. A choice left empty keeps what the settings file gives.
struct Options {
    Action action = Action::Download;
    std::string file;
    std::string settingsFile;
    std::optional<PortChoice> port;
    std::optional<std::int16_t> baudIndex;
    std::optional<bool> statistics;
    std::optional<bool> deletes;
    std::optional<bool> spaces;
    bool force = false;
    bool quiet = false;
    driver::Pace pace = driver::Pace::Poll;
    int gapMs = 0;
    // Overrides the form FILE's extension chooses.
    std::optional<pointsfile::Form> form;
    // A locale whose spreadsheets the CSV file is written for; empty for the user's own.
    std::string csvLocale;
    // A workbook Summary's starting limits, the field its figures are of, and the characteristic
    // the download measured.
    pointsfile::SummaryChoices summary;
    // The history: another file than the window's, none at all, or a plant database to send it
    // to. Left empty, what the window remembers holds.
    std::optional<std::string> historyFile;
    bool noHistory = false;
    std::optional<std::string> database;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name. Throws UsageError naming the argument it refuses.
Options parseOptions(const std::vector<std::string>& arguments);

// "3", "Com 3" and "COM3" name "Com 3"; a number beyond 16 or anything else names a device.
PortChoice parsePortChoice(std::string_view text);

// The usage, the options and the exit statuses.
std::string helpText();

// The program's name and version, one line.
std::string versionText();

}  // namespace cli
