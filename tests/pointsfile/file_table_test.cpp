#include "pointsfile/file_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "pointsfile/file_error.h"
#include "pointsfile/file_removal.h"
#include "pointsfile/points_file.h"
#include "support/temp_folder.h"

namespace {

using pointsfile::FileError;
using testsupport::readBytes;

class FileTableTest : public testing::Test {
protected:
    testsupport::TempFolder m_folder;
    pointsfile::FileTable m_files;
};

// Paths are UTF-8 in the program, whatever the system's code page. Bytes go out and come back
// unchanged, each line reaching the system as it is written.
TEST_F(FileTableTest, NumbersAndLinesAsTheProgramUsesThem) {
    const std::filesystem::path points = m_folder.path() / u8"points \u00b5m.txt";
    const std::u8string utf8 = points.u8string();
    const std::string path(utf8.begin(), utf8.end());
    testsupport::writeBytes(points, "an older and longer content\r\n");
    m_files.openForWriting(1, path);
    m_files.openForWriting(3, m_folder.file("b.txt"));
    EXPECT_EQ(m_files.freeFileNumber(), 2);
    EXPECT_THROW(m_files.openForWriting(1, m_folder.file("c.txt")), FileError);
    EXPECT_FALSE(std::filesystem::exists(m_folder.file("c.txt")));
    EXPECT_NO_THROW(m_files.close(2));
    m_files.writeLine(1, "A\t1.5");
    EXPECT_EQ(readBytes(points), "A\t1.5\r\n");
    m_files.writeLine(3, "elsewhere");
    m_files.writeLine(1, "");
    m_files.writeLine(1, std::string("\x80\xFF\x00z", 4));
    m_files.close(1);
    m_files.openForReading(1, path);
    std::string read;
    while (const auto c = m_files.readByte(1)) {
        read += *c;
    }
    EXPECT_EQ(read, std::string("A\t1.5\r\n\r\n\x80\xFF\x00z\r\n", 15));
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
}

// After the points file is closed its number may go to the settings file: a late row or close
// must not touch that file.
TEST_F(FileTableTest, PointsFileClosedLeavesAFileThatReusedItsNumberAlone) {
    pointsfile::PointsFile points(m_files);
    points.open(m_folder.file("points.txt"));
    points.writeRow("1\t2.5");
    points.close();
    m_files.openForWriting(pointsfile::FileTable::kSettingsFileNumber, m_folder.file("avrbl.txt"));
    EXPECT_THROW(points.writeRow("2\t3.5"), FileError);
    points.close();
    EXPECT_TRUE(m_files.isOpen(pointsfile::FileTable::kSettingsFileNumber));
    EXPECT_EQ(readBytes(m_folder.file("avrbl.txt")), "");
    EXPECT_EQ(readBytes(m_folder.file("points.txt")), "1\t2.5\r\n");
}

// What the program made at a path the user named goes again only when it is a plain file: a
// device (the workbook form proves a path by making it, then removing it, and run as root that
// took /dev/null away from the machine; a pipe stands in for it here), a folder or a link stays.
TEST(FileRemovalTest, OnlyAPlainFileIsRemoved) {
    const testsupport::TempFolder folder;
    testsupport::writeBytes(folder.path() / "plain", "x");
    std::filesystem::create_directory(folder.path() / "folder");
    std::vector<std::string> kept{"folder"};
#ifndef _WIN32
    std::filesystem::create_symlink(folder.path() / "plain", folder.path() / "link");
    ASSERT_EQ(mkfifo(folder.file("pipe").c_str(), 0600), 0);
    kept.insert(kept.end(), {"link", "pipe"});
#endif
    for (const std::string& name : kept) {
        pointsfile::removeIfRegularFile(folder.file(name));
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(folder.path() / name)))
            << name;
    }
    pointsfile::removeIfRegularFile(folder.file("plain"));
    pointsfile::removeIfRegularFile(folder.file("missing"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "plain"));
}

}  // namespace
