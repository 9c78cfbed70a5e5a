#pragma once

#include <memory>
#include <string>

#include "pointsfile/summary_choices.h"

namespace pointsfile {
class FileTable;
class RowSink;
}  // namespace pointsfile

namespace workbook {

// The plain points file beside a workbook that holds its rows until the workbook is written.
std::string workbookRowsCopyName(const std::string& workbookPath);

// A workbook of two sheets, "Points" and "Download". A workbook cannot be written a row at a time,
// so the rows go to the plain copy beside it as they arrive, and the workbook is written from the
// copy when the transfer ends; the copy goes once the workbook is closed, and stays when it cannot
// be written. The workbook's path is tried at once, so a path that cannot be written is told at
// the press, not at the end; nothing stands under its name until the end. Throws FileError.
std::unique_ptr<pointsfile::RowSink> openWorkbookSink(pointsfile::FileTable& files,
                                                      const std::string& path,
                                                      const pointsfile::SummaryChoices& summary);

}  // namespace workbook
