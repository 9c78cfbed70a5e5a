#include "serial/line_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace serial {
namespace {

TEST(LineSettings, ReadsEachFieldAndRefusesMalformedTextsNamingThem) {
    EXPECT_EQ(parseLineSettings("115200,n,8,1"),
              (LineSettings{115200, Parity::None, 8, StopBits::One}));
    EXPECT_EQ(parseLineSettings("19200,e,7,2"),
              (LineSettings{19200, Parity::Even, 7, StopBits::Two}));
    EXPECT_EQ(parseLineSettings("4800,O,5,1.5"),
              (LineSettings{4800, Parity::Odd, 5, StopBits::OneAndHalf}));
    EXPECT_EQ(parseLineSettings("9600,m,6,1").parity, Parity::Mark);
    EXPECT_EQ(parseLineSettings("9600,S,8,1").parity, Parity::Space);
    for (const std::string text : {"",
                                   "9600",
                                   "9600,n,8",
                                   "9600,n,8,1,",
                                   ",n,8,1",
                                   "0,n,8,1",
                                   "-9600,n,8,1",
                                   "+9600,n,8,1",
                                   "96 00,n,8,1",
                                   " 9600,n,8,1",
                                   "9600,n,8,1 ",
                                   "9600;n;8;1",
                                   "9600,,8,1",
                                   "9600,x,8,1",
                                   "9600,no,8,1",
                                   "9600,n,4,1",
                                   "9600,n,9,1",
                                   "9600,n,,1",
                                   "9600,n,8,0",
                                   "9600,n,8,1.0",
                                   "99999999999,n,8,1"}) {
        try {
            parseLineSettings(text);
            ADD_FAILURE() << "accepted \"" << text << "\"";
        } catch (const MalformedLineSettings& error) {
            EXPECT_NE(std::string(error.what()).find("\"" + text + "\""), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace serial
