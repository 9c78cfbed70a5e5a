#include "driver/downloads_browser.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "driver/history_dialog_actions.h"
#include "gauge/transfer_texts.h"
#include "history/download_list.h"
#include "history/rebuild.h"
#include "pointsfile/file_error.h"
#include "pointsfile/utf8_path.h"
#include "workbook/trend_workbook.h"

namespace driver {

namespace {

constexpr std::string_view kAll = "All";
constexpr std::string_view kNoCharacteristic = "none named";

std::string downloadsText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " download" : " downloads");
}

// The part of a path after its last separator, whichever system wrote it.
std::string fileNameOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A characteristic as a file name: the characters no system takes in a name become "_".
std::string fileNameFrom(std::string text) {
    std::replace_if(
        text.begin(), text.end(),
        [](char c) {
            return static_cast<unsigned char>(c) < 32 || c == '/' || c == '\\' || c == ':' ||
                   c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
        },
        '_');
    return text;
}

using Characteristics = std::set<std::optional<std::string>>;

// A trend is of one thing measured: "All" serves only while that is all there is.
std::string trendRefusalOf(const Characteristics& held) {
    if (held.empty()) {
        return "No downloads to write a trend of.";
    }
    if (held.size() == 1) {
        return {};
    }
    std::string names;
    for (const std::optional<std::string>& name : held) {
        names += (names.empty() ? "" : ", ") + name.value_or(std::string(kNoCharacteristic));
    }
    return "The downloads listed hold " + std::to_string(held.size()) + " characteristics (" +
           names + "): choose one for its trend workbook.";
}

// Where the download was written, and its uid.
std::string detailOf(const history::KeptDownload& download) {
    std::string detail = "Written to ";
    detail += download.file;
    detail += " (uid ";
    detail += download.uid;
    detail += ')';
    return detail;
}

std::string extensionOfForm(const std::string& form) {
    return form == "csv" || form == "xlsx" ? form : std::string("txt");
}

}  // namespace

DownloadsBrowser::DownloadsBrowser(const history::HistoryChoices& choices,
                                   const std::string& programFolder, pointsfile::CsvStyle csv)
    : m_plant(!choices.database.empty()),
      m_history(m_plant ? choices.database : historyFileOf(choices, programFolder)),
      m_csv(csv) {}

DownloadsBrowser::~DownloadsBrowser() = default;

std::span<const history::ListColumn> DownloadsBrowser::columns() const {
    return history::kDownloadListColumns;
}

history::HistoryReader& DownloadsBrowser::reader() {
    if (!m_reader) {
        m_reader =
            m_plant ? history::openPlantReader(m_history) : history::openLocalReader(m_history);
    }
    return *m_reader;
}

std::string DownloadsBrowser::failed(const history::HistoryError& failure) {
    m_reader.reset();
    return "The history cannot be read: " + std::string(failure.what());
}

std::optional<std::string> DownloadsBrowser::characteristicAt(std::size_t place) const {
    if (place == 0 || place > m_characteristics.size()) {
        return std::nullopt;
    }
    return m_characteristics[place - 1];
}

std::vector<std::string> DownloadsBrowser::characteristics() {
    try {
        m_characteristics = reader().characteristics();
    } catch (const history::HistoryError& failure) {
        failed(failure);
        m_characteristics.clear();
    }
    std::vector<std::string> choices{std::string(kAll)};
    choices.insert(choices.end(), m_characteristics.begin(), m_characteristics.end());
    return choices;
}

std::vector<history::TrendRow> DownloadsBrowser::trendOf(std::size_t characteristic) {
    history::Selection selection;
    selection.characteristic = characteristicAt(characteristic);
    return history::trendRows(reader(), selection);
}

view::DownloadsListing DownloadsBrowser::downloads(std::size_t characteristic) {
    view::DownloadsListing listing;
    m_listed.clear();
    // No download has ended yet: nothing is wrong, as reading it would say.
    std::error_code error;
    if (!m_plant && !std::filesystem::exists(pointsfile::pathOfUtf8(m_history), error)) {
        listing.status = "No downloads in " + m_history + " yet: the first one to end makes it.";
        return listing;
    }
    std::vector<history::TrendRow> rows;
    try {
        rows = trendOf(characteristic);
    } catch (const history::HistoryError& failure) {
        listing.status = failed(failure);
        return listing;
    }
    std::vector<std::vector<std::string>> cells = history::downloadListCells(rows);
    for (std::size_t i = rows.size(); i-- > 0;) {
        const history::KeptDownload& download = rows[i].download;
        listing.downloads.push_back({download.uid, std::move(cells[i]), detailOf(download)});
        m_listed.emplace(download.uid, download);
    }
    const std::optional<std::string> name = characteristicAt(characteristic);
    // The server as its reader names it: the connection string may hold more than a person reads.
    const std::string where = (name ? " of " + *name : std::string()) + " in " +
                              (m_plant ? "the " : "") + m_reader->name();
    listing.status = rows.empty() ? "No downloads" + where
                                  : downloadsText(rows.size()) + where + ", newest first";
    return listing;
}

std::string DownloadsBrowser::trendRefusal() const {
    Characteristics held;
    for (const auto& [uid, download] : m_listed) {
        held.insert(download.characteristic);
    }
    return trendRefusalOf(held);
}

view::SaveDialogRequest DownloadsBrowser::trendWorkbookDialog(std::size_t characteristic) const {
    const std::optional<std::string> name = characteristicAt(characteristic);
    return {"Trend Workbook", (name ? fileNameFrom(*name) + " trend" : "Trend") + ".xlsx", "xlsx",
            "Excel workbook (*.xlsx)|*.xlsx", true};
}

std::string DownloadsBrowser::writeTrendWorkbook(std::size_t characteristic,
                                                 const std::string& path) {
    try {
        const std::vector<history::TrendRow> rows = trendOf(characteristic);
        Characteristics held;
        for (const history::TrendRow& row : rows) {
            held.insert(row.download.characteristic);
        }
        if (std::string refusal = trendRefusalOf(held); !refusal.empty()) {
            return refusal;
        }
        const history::KeptDownload& newest = rows.back().download;
        const std::string measured = newest.characteristic.value_or(std::string());
        workbook::writeTrendWorkbook(
            path, rows,
            {newest.lowerLimit, newest.upperLimit, newest.nominal, newest.valueField, measured},
            measured);
        const auto repeats = std::count_if(rows.begin(), rows.end(),
                                           [](const auto& row) { return !row.repeatOf.empty(); });
        return "Trend workbook of " + downloadsText(rows.size()) +
               (repeats == 0 ? std::string()
                             : " (" + std::to_string(repeats) + " of them repeats, left out)") +
               " written to " + path;
    } catch (const history::HistoryError& failure) {
        return failed(failure);
    } catch (const pointsfile::FileError& failure) {
        return failure.what();
    }
}

view::SaveDialogRequest DownloadsBrowser::savePointsDialog(const std::string& uid) const {
    view::SaveDialogRequest request{"Save Points As", std::string(gauge::kDefaultPointsFileName),
                                    std::string(gauge::kDefaultPointsFileExtension),
                                    std::string(gauge::kPointsFileFilter), true};
    if (const auto listed = m_listed.find(uid); listed != m_listed.end()) {
        if (const std::string name = fileNameOf(listed->second.file);
            !name.empty() && name != "-") {
            request.defaultName = name;
        }
        request.defaultExtension = extensionOfForm(listed->second.form);
    }
    return request;
}

std::string DownloadsBrowser::savePoints(const std::string& uid, const std::string& path) {
    try {
        history::rebuildFile(reader(), uid, path, m_csv);
    } catch (const history::HistoryError& failure) {
        return failed(failure);
    } catch (const pointsfile::FileError& failure) {
        return failure.what();
    }
    const auto listed = m_listed.find(uid);
    return "The download" +
           (listed == m_listed.end() ? std::string() : " pressed at " + listed->second.pressedAt) +
           " made again in " + path;
}

}  // namespace driver
