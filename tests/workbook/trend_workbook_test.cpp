#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pointsfile/file_error.h"
#include "support/temp_folder.h"
#include "workbook/trend_workbook.h"

namespace {

using history::TrendRow;

TrendRow row(const std::string& uid, int counted, double mean, const std::string& repeatOf = {}) {
    TrendRow r;
    r.download.uid = uid;
    r.download.pressedAt = "2026-12-07T14:15:03+01:00";
    r.download.counted = counted;
    if (counted > 0) {
        r.download.mean = r.download.minimum = r.download.maximum = mean;
        r.download.standardDeviation = r.download.averageMovingRange = 0.0;
    }
    r.repeatOf = repeatOf;
    return r;
}

TEST(TrendWorkbook, WrittenForAnySelectionEvenOneWithoutFigures) {
    testsupport::TempFolder folder;
    const struct {
        const char* name;
        std::vector<TrendRow> rows;
    } cases[] = {
        {"trend.xlsx", {row("a", 3, 12.5), row("b", 3, 12.5, "a"), row("c", 1, 12.7)}},
        {"nothing counted.xlsx", {row("a", 0, 0), row("b", 0, 0, "a")}},
        {"nothing.xlsx", {}},
    };
    for (const auto& c : cases) {
        const std::string path = folder.file(c.name);
        workbook::writeTrendWorkbook(path, c.rows, {12.0, 13.0, 12.5, {}, {}}, "Bore Ø12");
        EXPECT_EQ(testsupport::readBytes(path).substr(0, 2), "PK") << c.name;
    }
}

TEST(TrendWorkbook, AFileThatCannotBeWrittenIsNamedAndNothingIsLeft) {
    testsupport::TempFolder folder;
    std::filesystem::create_directory(folder.path() / "taken.xlsx");
    for (const std::string& path :
         {folder.file("taken.xlsx"), folder.file("no such folder/trend.xlsx")}) {
        try {
            workbook::writeTrendWorkbook(path, {row("a", 2, 1.0)}, {}, "");
            ADD_FAILURE() << path << " was written";
        } catch (const pointsfile::FileError& error) {
            EXPECT_EQ(error.path(), path);
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "taken.xlsx"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "no such folder"));
}

}  // namespace
