#include "pointsfile/file_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pointsfile/file_error.h"
#include "pointsfile/points_file.h"
#include "support/temp_folder.h"

namespace {

using pointsfile::FileError;
using pointsfile::FileTable;
using testsupport::readBytes;

class FileTableTest : public testing::Test {
protected:
    testsupport::TempFolder m_folder;
    FileTable m_files;
};

TEST_F(FileTableTest, NumbersAndLinesAsTheProgramUsesThem) {
    const std::string a = m_folder.file("a.txt"), b = m_folder.file("b.txt");
    testsupport::writeBytes(a, "an older and longer content\r\n");
    m_files.openForWriting(1, a);
    m_files.openForWriting(3, b);
    EXPECT_EQ(m_files.freeFileNumber(), 2);
    EXPECT_THROW(m_files.openForWriting(1, m_folder.file("c.txt")), FileError);
    EXPECT_FALSE(std::filesystem::exists(m_folder.file("c.txt")));
    EXPECT_NO_THROW(m_files.close(2));
    m_files.writeLine(1, "A\t1.5");
    EXPECT_EQ(readBytes(a), "A\t1.5\r\n");  // each line reaches the system as it is written
    m_files.writeLine(1, "");
    m_files.writeLine(1, std::string("\x80\xFF\x00z", 4));
    m_files.writeLine(3, "kept");
    {
        FileTable ending;  // files still open are closed with their lines when the table goes
        ending.openForWriting(1, m_folder.file("d.txt"));
        ending.writeLine(1, "last");
    }
    m_files.close(1);
    EXPECT_EQ(readBytes(a), std::string("A\t1.5\r\n\r\n\x80\xFF\x00z\r\n", 15));
    EXPECT_EQ(readBytes(m_folder.file("d.txt")), "last\r\n");
    EXPECT_EQ(m_files.freeFileNumber(), 1);
}

// Paths are UTF-8 in the program, whatever the system's code page.
TEST_F(FileTableTest, UtfEightPathIsWrittenAndReadBackByteByByte) {
    const std::filesystem::path expected = m_folder.path() / u8"points \u00b5m.txt";
    const std::u8string name = expected.u8string();
    const std::string path(name.begin(), name.end());
    m_files.openForWriting(1, path);
    m_files.writeLine(1, "7\xFF");
    m_files.close(1);
    EXPECT_EQ(readBytes(expected), "7\xFF\r\n");
    m_files.openForReading(1, path);
    std::string read;
    while (const auto c = m_files.readByte(1)) {
        read += *c;
    }
    EXPECT_EQ(read, "7\xFF\r\n");
}

TEST_F(FileTableTest, FailuresNameThePathAndTheReasonAndLeaveTheNumberFree) {
    for (const std::string& path :
         {m_folder.path().string(), m_folder.file("missing/points.txt"), std::string()}) {
        try {
            m_files.openForWriting(1, path);
            ADD_FAILURE() << "opened " << path;
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), path);
            EXPECT_FALSE(e.reason().empty()) << path;
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
        EXPECT_FALSE(m_files.isOpen(1)) << path;
    }
    EXPECT_THROW(m_files.openForReading(1, m_folder.file("absent.txt")), FileError);
    EXPECT_THROW(m_files.writeLine(3, "x"), FileError);
    EXPECT_FALSE(m_files.isOpen(1));
}

// After the points file is closed its number may go to the settings file: a late row or close
// must not touch that file.
TEST_F(FileTableTest, PointsFileClosedLeavesAFileThatReusedItsNumberAlone) {
    pointsfile::PointsFile points(m_files);
    points.open(m_folder.file("points.txt"));
    points.close();
    m_files.openForWriting(FileTable::kSettingsFileNumber, m_folder.file("avrbl.txt"));
    EXPECT_THROW(points.writeRow("1\t2.5"), FileError);
    points.close();
    EXPECT_TRUE(m_files.isOpen(FileTable::kSettingsFileNumber));
    m_files.close(FileTable::kSettingsFileNumber);
    EXPECT_EQ(readBytes(m_folder.file("avrbl.txt")), "");
}

}  // namespace
