#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "history/download_list.h"
#include "view/view.h"

namespace view {

// A download as the Downloads window lists it.
struct ListedDownload {
    std::string uid;
    // Under DownloadsBrowser::columns(), in order.
    std::vector<std::string> cells;
    // Where the download was written and its uid, for the pointer resting on its row.
    std::string detail;
};

// The downloads of one choice of characteristic, and what the status line says of them: how many
// there are and where, or why the history cannot be read.
struct DownloadsListing {
    std::vector<ListedDownload> downloads;
    std::string status;
};

// What the Downloads window shows of a history and does with it. Nothing here throws: a failure
// comes back as the status line's text, naming the history or the file and why.
class DownloadsBrowser {
public:
    virtual ~DownloadsBrowser() = default;

    virtual std::span<const history::ListColumn> columns() const = 0;
    // "All", then the characteristics the history holds: the choices the other calls take by
    // their place in this list. Only "All" when the history cannot be read.
    virtual std::vector<std::string> characteristics() = 0;
    // The chosen characteristic's downloads, newest first.
    virtual DownloadsListing downloads(std::size_t characteristic) = 0;

    // Why the downloads listed last make no trend workbook (none, or several characteristics under
    // "All"), before its save dialog asks for a name; empty when they make one.
    virtual std::string trendRefusal() const = 0;
    virtual SaveDialogRequest trendWorkbookDialog(std::size_t characteristic) const = 0;
    // Writes the trend workbook of the chosen characteristic's downloads; what the status line
    // says.
    virtual std::string writeTrendWorkbook(std::size_t characteristic, const std::string& path) = 0;

    // The save dialog for a download listed last.
    virtual SaveDialogRequest savePointsDialog(const std::string& uid) const = 0;
    // Makes the download's file again in the form the path's name says; what the status line says.
    virtual std::string savePoints(const std::string& uid, const std::string& path) = 0;
};

}  // namespace view
