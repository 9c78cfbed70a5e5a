#include "serial/line_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace serial;

TEST(LineSettings, ReadsEachFieldAndRefusesMalformedTextsNamingThem) {
    const std::pair<const char*, LineSettings> read[] = {
        {"115200,n,8,1", {115200, Parity::None, 8, StopBits::One}},
        {"19200,e,7,2", {19200, Parity::Even, 7, StopBits::Two}},
        {"4800,O,5,1.5", {4800, Parity::Odd, 5, StopBits::OneAndHalf}},
        {"9600,m,6,1", {9600, Parity::Mark, 6, StopBits::One}},
        {"300,S,8,1", {300, Parity::Space, 8, StopBits::One}}};
    for (const auto& [text, settings] : read) {
        EXPECT_EQ(parseLineSettings(text), settings) << text;
    }
    const char* const refused[] = {"9600,n,8",    "9600,n,8,1,", ",n,8,1",      "-9600,n,8,1",
                                   "+9600,n,8,1", "96 00,n,8,1", "9600,no,8,1", "9600,x,8,1",
                                   "9600,n,4,1",  "9600,n,9,1",  "9600,n,,1",   "9600,n,8,0"};
    for (const std::string text : refused) {
        try {
            parseLineSettings(text);
            ADD_FAILURE() << "accepted \"" << text << "\"";
        } catch (const MalformedLineSettings& error) {
            EXPECT_NE(std::string(error.what()).find("\"" + text + "\""), std::string::npos);
        }
    }
}

}  // namespace
