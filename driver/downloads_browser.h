#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/history_choices.h"
#include "history/history_error.h"
#include "history/history_reader.h"
#include "pointsfile/csv_form.h"
#include "view/downloads_browser.h"

namespace driver {

// The Downloads window's side in the core: the plant database when the choices name one, else
// their history file, read as the list and the trend read it. The history is opened at the first
// call and again after any failure, so one that comes back (a server restarted) is read again.
class DownloadsBrowser : public view::DownloadsBrowser {
public:
    DownloadsBrowser(const history::HistoryChoices& choices, const std::string& programFolder,
                     pointsfile::CsvStyle csv);
    ~DownloadsBrowser() override;

    std::span<const history::ListColumn> columns() const override;
    std::vector<std::string> characteristics() override;
    view::DownloadsListing downloads(std::size_t characteristic) override;
    std::string trendRefusal() const override;
    view::SaveDialogRequest trendWorkbookDialog(std::size_t characteristic) const override;
    std::string writeTrendWorkbook(std::size_t characteristic, const std::string& path) override;
    view::SaveDialogRequest savePointsDialog(const std::string& uid) const override;
    std::string savePoints(const std::string& uid, const std::string& path) override;

private:
    history::HistoryReader& reader();
    // Nothing for "All" (or a place past the list).
    std::optional<std::string> characteristicAt(std::size_t place) const;
    std::vector<history::TrendRow> trendOf(std::size_t characteristic);
    std::string failed(const history::HistoryError& failure);

    bool m_plant = false;
    // The history file's path or the plant database's connection string.
    std::string m_history;
    pointsfile::CsvStyle m_csv;
    std::unique_ptr<history::HistoryReader> m_reader;
    std::vector<std::string> m_characteristics;
    // The downloads listed last, by uid, without their points.
    std::map<std::string, history::KeptDownload> m_listed;
};

}  // namespace driver
