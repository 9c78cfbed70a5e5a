#include "pointsfile/file_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pointsfile/file_error.h"
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

// The message of the error an action raises; empty when it raises none.
template <typename Action>
std::string fileErrorMessage(Action action) {
    try {
        action();
    } catch (const FileError& e) {
        return e.what();
    }
    return "";
}

TEST_F(FileTableTest, FreeNumberIsTheLowestNotInUseAndClosingANumberNotOpenDoesNothing) {
    EXPECT_EQ(m_files.freeFileNumber(), 1);
    m_files.openForWriting(1, m_folder.file("a.txt"));
    m_files.openForWriting(2, m_folder.file("b.txt"));
    m_files.openForWriting(4, m_folder.file("d.txt"));
    EXPECT_EQ(m_files.freeFileNumber(), 3);
    m_files.close(1);
    EXPECT_EQ(m_files.freeFileNumber(), 1);
    EXPECT_NO_THROW(m_files.close(1));
    EXPECT_NO_THROW(m_files.close(0));
    EXPECT_TRUE(m_files.isOpen(2) && m_files.isOpen(4));
    m_files.closeAll();
    EXPECT_FALSE(m_files.isOpen(2) || m_files.isOpen(4));
}

TEST_F(FileTableTest, OpenUnderANumberInUseFailsAndLeavesTheOpenFileAlone) {
    const std::string first = m_folder.file("first.txt");
    const std::string second = m_folder.file("second.txt");
    m_files.openForWriting(FileTable::kSettingsFileNumber, first);
    const std::string message =
        fileErrorMessage([&] { m_files.openForWriting(FileTable::kSettingsFileNumber, second); });
    EXPECT_NE(message.find(second), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(second));
    m_files.writeLine(1, "kept");
    m_files.close(1);
    EXPECT_EQ(readBytes(first), "kept\r\n");
}

TEST_F(FileTableTest, FilesStillOpenAreClosedWithTheirLinesWhenTheTableGoes) {
    const std::string a = m_folder.file("a.txt");
    const std::string b = m_folder.file("b.txt");
    {
        FileTable files;
        files.openForWriting(1, a);
        files.openForWriting(2, b);
        files.writeLine(1, "one");
        files.writeLine(2, "two");
    }
    EXPECT_EQ(readBytes(a), "one\r\n");
    EXPECT_EQ(readBytes(b), "two\r\n");
}

TEST_F(FileTableTest, EachLineIsInTheReplacedFileAsItsBytesAndCarriageReturnLineFeed) {
    const std::string path = m_folder.file("bytes.txt");
    testsupport::writeBytes(path, "an older and much longer content\r\n");
    m_files.openForWriting(1, path);
    EXPECT_EQ(readBytes(path), "");
    m_files.writeLine(1, "A\t1.5");
    EXPECT_EQ(readBytes(path), "A\t1.5\r\n");
    m_files.writeLine(1, "");
    m_files.writeLine(1, std::string("\x80\xB0\xFF\x00z", 5));
    EXPECT_EQ(readBytes(path), std::string("A\t1.5\r\n\r\n\x80\xB0\xFF\x00z\r\n", 16));
    m_files.close(1);
}

// Paths are UTF-8 in the program, whatever the system's own code page is.
TEST_F(FileTableTest, UtfEightPathNamesTheFileWrittenAndRead) {
    const std::filesystem::path expected = m_folder.path() / u8"points \u00b5m \u00e9.txt";
    const std::u8string name = expected.u8string();
    const std::string path(name.begin(), name.end());
    m_files.openForWriting(1, path);
    m_files.writeLine(1, "7");
    m_files.close(1);
    EXPECT_EQ(readBytes(expected), "7\r\n");
    m_files.openForReading(2, path);
    EXPECT_EQ(m_files.readByte(2), '7');
}

TEST_F(FileTableTest, FailuresNameThePathOrTheNumberAndLeaveTheNumberFree) {
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
    const std::string absent = m_folder.file("absent.txt");
    EXPECT_NE(fileErrorMessage([&] { m_files.openForReading(1, absent); }).find(absent),
              std::string::npos);
    EXPECT_FALSE(m_files.isOpen(1));
    EXPECT_NE(fileErrorMessage([&] { m_files.writeLine(3, "x"); }).find("3"), std::string::npos);
    EXPECT_NE(fileErrorMessage([&] { (void)m_files.readByte(5); }).find("5"), std::string::npos);
}

TEST_F(FileTableTest, ReadsBytesToTheEnd) {
    const std::string path = m_folder.file("in.txt");
    testsupport::writeBytes(path, "7\r\n\xFF");
    m_files.openForReading(1, path);
    std::string read;
    while (const auto c = m_files.readByte(1)) {
        read += *c;
    }
    EXPECT_EQ(read, "7\r\n\xFF");
    EXPECT_EQ(m_files.readByte(1), std::nullopt);
}

TEST_F(FileTableTest, WriteToAFullDeviceFailsNamingThePathAndTheReason) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "/dev/full is not available on this system";
    }
    m_files.openForWriting(1, "/dev/full");
    try {
        m_files.writeLine(1, "row");
        ADD_FAILURE() << "a write to /dev/full succeeded";
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), "/dev/full");
        EXPECT_NE(e.reason().find("space"), std::string::npos) << e.reason();
    }
    // Whether the close reports the lost row again or not, the number must come free.
    try {
        m_files.close(1);
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), "/dev/full");
    }
    EXPECT_FALSE(m_files.isOpen(1));
}

}  // namespace
