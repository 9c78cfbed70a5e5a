#include "pointsfile/points_file.h"

#include <gtest/gtest.h>

#include <string>

#include "pointsfile/file_error.h"
#include "support/temp_folder.h"

namespace {

using pointsfile::FileTable;
using pointsfile::PointsFile;

class PointsFileTest : public testing::Test {
protected:
    testsupport::TempFolder m_folder;
    FileTable m_files;
    PointsFile m_points{m_files};
};

TEST_F(PointsFileTest, TakesTheLowestFreeNumberAndEachFileStartsEmpty) {
    const std::string first = m_folder.file("first.txt");
    const std::string second = m_folder.file("second.txt");
    testsupport::writeBytes(second, "old rows\r\n");
    m_points.open(first);
    EXPECT_EQ(m_points.number(), 1);
    m_points.writeRow("N\t12.5000\tmm");
    m_points.writeRow("");
    m_points.close();
    m_files.openForWriting(FileTable::kSettingsFileNumber, m_folder.file("avrbl.txt"));
    m_points.open(second);
    EXPECT_EQ(m_points.number(), 2);
    EXPECT_EQ(m_points.name(), second);
    m_points.close();
    EXPECT_EQ(testsupport::readBytes(first), "N\t12.5000\tmm\r\n\r\n");
    EXPECT_EQ(testsupport::readBytes(second), "");
}

TEST_F(PointsFileTest, FailedOpenKeepsTheNumberItTookButHoldsNoFile) {
    const std::string path = m_folder.file("no/such/folder/points.txt");
    EXPECT_THROW(m_points.open(path), pointsfile::FileError);
    EXPECT_FALSE(m_points.isOpen());
    EXPECT_EQ(m_points.number(), 1);
    EXPECT_FALSE(m_files.isOpen(1));
    EXPECT_NO_THROW(m_points.close());
}

// After the points file is closed its number may go to the settings file; closing the points
// file again must not take that file away.
TEST_F(PointsFileTest, RowOrCloseAfterCloseLeavesAFileThatReusedTheNumberUntouched) {
    const std::string settings = m_folder.file("avrbl.txt");
    m_points.open(m_folder.file("points.txt"));
    m_points.close();
    m_files.openForWriting(FileTable::kSettingsFileNumber, settings);
    EXPECT_THROW(m_points.writeRow("1\t2.5"), pointsfile::FileError);
    m_points.close();
    EXPECT_TRUE(m_files.isOpen(FileTable::kSettingsFileNumber));
    m_files.close(FileTable::kSettingsFileNumber);
    EXPECT_EQ(testsupport::readBytes(settings), "");
}

struct DelimiterCase {
    std::string pointLine;
    bool spaces;
    std::string row;
};

TEST(DelimiterRule, TabsBecomeBlanksOnlyWithSpaceDelimiters) {
    const DelimiterCase cases[] = {
        {"A\t1.5", false, "A\t1.5"},
        {"A\t1.5", true, "A 1.5"},
        {"\t\tA\t", true, "  A "},
        {"A  1.5", true, "A  1.5"},
        {"", true, ""},
        {"D\t7\r\nX\t8", true, "D 7\r\nX 8"},
        {"\x89\t\xFF", true, "\x89 \xFF"},
    };
    for (const DelimiterCase& c : cases) {
        EXPECT_EQ(pointsfile::applyDelimiterRule(c.pointLine, c.spaces), c.row)
            << c.pointLine << " spaces " << c.spaces;
    }
}

struct DeletedCase {
    std::string row;
    bool includeDeletes;
    bool written;
};

TEST(DeletedPointRule, RowsBeginningWithUpperCaseDAreLeftOutUnlessDeletesAreIncluded) {
    const DeletedCase cases[] = {
        {"D\t7", false, false}, {"D\t7", true, true},     {"D", false, false},
        {"DEL", false, false},  {"d\t7", false, true},    {" D\t7", false, true},
        {"\tD", false, true},   {"", false, true},        {"8\t9", false, true},
        {"1D", false, true},    {"\xC4\t1", false, true},
    };
    for (const DeletedCase& c : cases) {
        EXPECT_EQ(pointsfile::passesDeletedPointRule(c.row, c.includeDeletes), c.written)
            << "\"" << c.row << "\" includeDeletes " << c.includeDeletes;
    }
}

}  // namespace
