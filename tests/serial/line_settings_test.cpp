#include "serial/line_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace serial {
namespace {

struct BaudCase {
    const char* text;
    std::int32_t baudRate;
};

class BaudListSettings : public ::testing::TestWithParam<BaudCase> {};

TEST_P(BaudListSettings, ParseToNoParityEightDataBitsOneStopBit) {
    const LineSettings settings = parseLineSettings(GetParam().text);
    EXPECT_EQ(settings.baudRate, GetParam().baudRate);
    EXPECT_EQ(settings.parity, Parity::None);
    EXPECT_EQ(settings.dataBits, 8);
    EXPECT_EQ(settings.stopBits, StopBits::One);
}

INSTANTIATE_TEST_SUITE_P(
    EveryBaudRate, BaudListSettings,
    ::testing::Values(BaudCase{"4800,n,8,1", 4800}, BaudCase{"9600,n,8,1", 9600},
                      BaudCase{"19200,n,8,1", 19200}, BaudCase{"38400,n,8,1", 38400},
                      BaudCase{"57600,n,8,1", 57600}, BaudCase{"115200,n,8,1", 115200}));

TEST(LineSettings, OtherParitiesDataBitsAndStopBitsAreRead) {
    EXPECT_EQ(parseLineSettings("19200,e,7,2"),
              (LineSettings{19200, Parity::Even, 7, StopBits::Two}));
    EXPECT_EQ(parseLineSettings("4800,O,5,1.5"),
              (LineSettings{4800, Parity::Odd, 5, StopBits::OneAndHalf}));
    EXPECT_EQ(parseLineSettings("9600,m,6,1"),
              (LineSettings{9600, Parity::Mark, 6, StopBits::One}));
    EXPECT_EQ(parseLineSettings("9600,S,8,1"),
              (LineSettings{9600, Parity::Space, 8, StopBits::One}));
}

class MalformedSettings : public ::testing::TestWithParam<const char*> {};

TEST_P(MalformedSettings, AreRefusedNamingTheText) {
    const std::string text = GetParam();
    try {
        parseLineSettings(text);
        FAIL() << "accepted \"" << text << "\"";
    } catch (const MalformedLineSettings& error) {
        EXPECT_NE(std::string(error.what()).find("\"" + text + "\""), std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, MalformedSettings,
                         ::testing::Values("", "9600", "9600,n,8", "9600,n,8,1,", "9600,n,8,1,1",
                                           ",n,8,1", "baud,n,8,1", "0,n,8,1", "-9600,n,8,1",
                                           "+9600,n,8,1", "96 00,n,8,1", " 9600,n,8,1",
                                           "9600,n,8,1 ", "9600;n;8;1", "9600,,8,1", "9600,x,8,1",
                                           "9600,no,8,1", "9600,n,4,1", "9600,n,9,1", "9600,n,,1",
                                           "9600,n,8,0", "9600,n,8,3", "9600,n,8,1.0",
                                           "99999999999,n,8,1"));

}  // namespace
}  // namespace serial
