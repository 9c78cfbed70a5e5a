#include "cli/history_run.h"

#include <QLocale>

#include <cstdio>
#include <filesystem>
#include <set>

#include "cli/history_choice.h"
#include "cli/history_list.h"
#include "cli/options.h"
#include "driver/choice_file.h"
#include "driver/history_dialog_actions.h"
#include "history/plant_reader.h"
#include "history/rebuild.h"
#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"
#include "pointsfile/qt_csv_style.h"
#include "pointsfile/utf8_path.h"
#include "settings/settings_folders.h"
#include "workbook/trend_workbook.h"

namespace cli {

namespace {

using history::Selection;
using history::TrendRow;

// Raised where a run ends early with a status of its own and has said why.
struct Ended {
    HistoryStatus status;
};

void tell(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", std::string(kHistoryProgramName).c_str(), text.c_str());
}

// The history qorb-download would keep its downloads in: --history, else the window's.
std::string localHistoryPath(const HistoryOptions& options, const std::string& programFolder) {
    const settings::SettingsFolders folders = settings::settingsFoldersFor(programFolder);
    pointsfile::FileTable files;
    Options download;
    download.historyFile = options.historyFile;
    const history::HistoryChoices choices = historyChoicesFor(
        download,
        driver::readHistoryChoices(files, folders.readPath(driver::kHistoryChoicesFileName)));
    return driver::historyFileOf(choices, programFolder);
}

std::unique_ptr<history::HistoryReader> openReader(const HistoryOptions& options,
                                                   const std::string& programFolder) {
    if (options.database) {
        return history::openPlantReader(*options.database);
    }
    return history::openLocalReader(localHistoryPath(options, programFolder));
}

// What was asked: ' of characteristic "Bore" pressed on or after 2026-12-01 on host line-3'.
std::string asked(const Selection& selection) {
    std::string text;
    if (selection.characteristic) {
        text += selection.characteristic->empty()
                    ? " without a characteristic"
                    : " of characteristic \"" + *selection.characteristic + "\"";
    }
    if (selection.since) {
        text += " pressed on or after ";
        text += *selection.since;
    }
    if (selection.until) {
        text += selection.since ? " and" : " pressed";
        text += " on or before " + *selection.until;
    }
    text += selection.host ? " on host " + *selection.host : "";
    text += selection.completeOnly ? " that completed" : "";
    return text;
}

void refuseExisting(const std::string& path, bool force) {
    std::error_code error;
    if (!force && path != pointsfile::kStandardOutputName &&
        std::filesystem::exists(
            std::filesystem::symlink_status(pointsfile::pathOfUtf8(path), error))) {
        tell(path + " exists; give --force to replace it");
        throw Ended{HistoryStatus::OutputFailed};
    }
}

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        throw pointsfile::FileError("standard output", "the system refused the write", "write");
    }
}

// The one characteristic a trend workbook is of: the one named, else the selection's only one.
std::string trendCharacteristic(const Selection& selection, const std::vector<TrendRow>& rows) {
    if (selection.characteristic) {
        return *selection.characteristic;
    }
    std::set<std::string> names;
    for (const TrendRow& row : rows) {
        names.insert(row.download.characteristic.value_or(""));
    }
    if (names.size() > 1) {
        std::string list;
        for (const std::string& name : names) {
            list += "\n  " + (name.empty() ? std::string("\"\" (none named)") : name);
        }
        tell("a trend is of one characteristic, and these downloads are of " +
             std::to_string(names.size()) + ": name one with --characteristic" + list);
        throw Ended{HistoryStatus::Usage};
    }
    return *names.begin();
}

void writeTrend(const HistoryOptions& options, const std::vector<TrendRow>& rows) {
    const std::string characteristic = trendCharacteristic(options.selection, rows);
    refuseExisting(options.output, options.force);
    const history::KeptDownload& newest = rows.back().download;
    pointsfile::SummaryChoices limits{
        newest.lowerLimit, newest.upperLimit, newest.nominal, {}, characteristic};
    workbook::writeTrendWorkbook(options.output, rows, limits, characteristic);
}

HistoryStatus run(const HistoryOptions& options, const std::string& programFolder) {
    const std::unique_ptr<history::HistoryReader> reader = openReader(options, programFolder);
    if (options.action == HistoryAction::Rebuild) {
        refuseExisting(options.output, options.force);
        history::rebuildFile(*reader, options.uid, options.output,
                             pointsfile::csvStyleOfLocale(QLocale::system()));
        return HistoryStatus::Done;
    }
    const std::vector<TrendRow> rows = history::trendRows(*reader, options.selection);
    if (rows.empty()) {
        tell(reader->name() + " holds no download" + asked(options.selection));
        return HistoryStatus::NothingSelected;
    }
    if (options.action == HistoryAction::Workbook) {
        writeTrend(options, rows);
    } else {
        print(options.action == HistoryAction::Csv ? csvList(rows) : alignedList(rows));
    }
    return HistoryStatus::Done;
}

}  // namespace

HistoryStatus runHistory(const HistoryOptions& options, const std::string& programFolder) {
    try {
        return run(options, programFolder);
    } catch (const Ended& ended) {
        return ended.status;
    } catch (const history::UnknownDownload& unknown) {
        tell(unknown.what());
        return HistoryStatus::NothingSelected;
    } catch (const history::PlantUnreachable& away) {
        tell("the plant database cannot be reached: " + std::string(away.what()));
        return HistoryStatus::Unreachable;
    } catch (const history::HistoryError& failure) {
        tell("the history cannot be read: " + std::string(failure.what()));
        return HistoryStatus::Unreadable;
    } catch (const pointsfile::FileError& failure) {
        tell(failure.what());
        return HistoryStatus::OutputFailed;
    }
}

}  // namespace cli
