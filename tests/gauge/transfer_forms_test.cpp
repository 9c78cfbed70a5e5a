#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "gauge/transfer_texts.h"
#include "transfer_fixture.h"
#include "workbook/workbook_form.h"

namespace {

using testsupport::readBytes;

// '#' stands for a digit, '+' for either sign; every other character for itself.
bool hasShape(const std::string& text, std::string_view shape) {
    return text.size() == shape.size() &&
           std::equal(shape.begin(), shape.end(), text.begin(), [](char want, char got) {
               return want == '#'   ? std::isdigit(static_cast<unsigned char>(got)) != 0
                      : want == '+' ? got == '+' || got == '-'
                                    : want == got;
           });
}

class TransferFormsTest : public testsupport::TransferFixture {
protected:
    TransferFormsTest() { view.setCheckBoxValue(view::CheckBox::chkIncludeStatistics, 1); }

    bool exists(const std::string& name) const {
        return std::filesystem::exists(folder.path() / name);
    }
    static bool isZip(const std::string& bytes) { return bytes.rfind("PK\x03\x04", 0) == 0; }
};

TEST_F(TransferFormsTest, CsvSplitsTheGaugesTabsWhateverTheDelimiterChoiceOrTheName) {
    view.setCheckBoxValue(view::CheckBox::CheckUseSpaceDelimiters, 1);
    pointsfile::OutputChoices choices;
    choices.form = pointsfile::Form::Csv;
    choices.csv = pointsfile::csvStyleForDecimalMark(',');
    transfer.chooseOutput(choices);
    pressAndSave("points.dat");
    runToEnd();

    EXPECT_EQ(fileBytes("points.dat"),
              "\xEF\xBB\xBFStatistics;MIN;1,5\r\nStatistics;MAX;2,5\r\nMemory;1;12,001;mm\r\n");
    EXPECT_EQ(transfer.rowsWritten(), 3);
}

TEST_F(TransferFormsTest, WorkbookRowsWaitOnDiskInAPlainCopyUntilTheEnd) {
    useGauge([](gaugesim::GaugeConfig& gauge) { gauge.memoryPoints = {"1\t12.001", "D2\t9"}; });
    pressAndSave("points.xlsx");
    const std::string copy = workbook::workbookRowsCopyName("points.xlsx");
    while (transfer.state() < gauge::Transfer::kMemoryFirstState) {
        tick();
    }
    // A crash now keeps both statistics rows, with the gauge's tabs.
    EXPECT_EQ(fileBytes(copy), "MIN\t1.5\r\nMAX\t2.5\r\n");
    EXPECT_FALSE(exists("points.xlsx"));
    runToEnd();

    EXPECT_TRUE(isZip(fileBytes("points.xlsx")));
    EXPECT_FALSE(exists(copy));
    const pointsfile::DownloadRecord& record = transfer.record();
    EXPECT_EQ(record.rowsWritten, 3);  // the deleted point is left out
    EXPECT_EQ(record.statisticsAnnounced, 2);
    EXPECT_EQ(record.memoryAnnounced, 2);
    EXPECT_TRUE(record.includeStatistics);
    EXPECT_FALSE(record.includeDeletes);
    EXPECT_EQ(record.endMessage,
              std::string(gauge::kTransferComplete) + folder.file("points.xlsx"));
    EXPECT_TRUE(hasShape(record.pressedAt, "####-##-##T##:##:##+##:##")) << record.pressedAt;
}

TEST_F(TransferFormsTest, EveryEndLeavesAWorkbookThatSaysHowItEnded) {
    useGauge([](gaugesim::GaugeConfig& gauge) { gauge.stopAfterPoints = 1; });
    pressAndSave("timeout.xlsx");
    runToEnd();
    EXPECT_EQ(lastMessage(), gauge::kTimeout);
    EXPECT_EQ(transfer.record().endMessage, gauge::kTimeout);
    EXPECT_EQ(transfer.record().rowsWritten, 1);
    EXPECT_TRUE(isZip(fileBytes("timeout.xlsx")));
    EXPECT_FALSE(exists(workbook::workbookRowsCopyName("timeout.xlsx")));

    useGauge([](gaugesim::GaugeConfig&) {});
    pressAndSave("stopped.xlsx");
    tick(6);
    EXPECT_EQ(transfer.stop("Interrupted"), std::nullopt);
    EXPECT_FALSE(transfer.running());
    EXPECT_EQ(transfer.record().endMessage, "Interrupted");
    EXPECT_TRUE(isZip(fileBytes("stopped.xlsx")));
    EXPECT_EQ(transfer.stop("again"), std::nullopt);  // nothing left to stop
    EXPECT_EQ(transfer.record().endMessage, "Interrupted");
}

TEST_F(TransferFormsTest, AWorkbookThatCannotBeWrittenKeepsItsRowsAndSaysWhere) {
    pressAndSave("points.xlsx");
    // Something took the workbook's name for a folder while the gauge was being read.
    std::filesystem::create_directory(folder.path() / "points.xlsx");
    runToEnd();

    const std::string copy = folder.file(workbook::workbookRowsCopyName("points.xlsx"));
    EXPECT_EQ(
        lastMessage().rfind(std::string(gauge::kUnableToWrite) + folder.file("points.xlsx"), 0),
        0u);
    EXPECT_NE(lastMessage().find("the rows are kept in " + copy), std::string::npos);
    EXPECT_EQ(readBytes(copy), "MIN\t1.5\r\nMAX\t2.5\r\n1\t12.001\tmm\r\n");
}

}  // namespace
