#include "app/qt_display_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(DisplayText, NameFiltersTakeQtsForm) {
    const std::pair<std::string, QStringList> cases[] = {
        {"Text Files (*.txt)|*.txt", {QStringLiteral("Text Files (*.txt)")}},
        {"Text Files|*.txt", {QStringLiteral("Text Files (*.txt)")}},
        {"Points|*.txt;*.dat|All Files (*.*)|*.*",
         {QStringLiteral("Points (*.txt *.dat)"), QStringLiteral("All Files (*.*)")}},
        {"|*.csv", {QStringLiteral("(*.csv)")}},
        {"Text Files (*.txt)", {}},
    };
    for (const auto& [filter, expected] : cases) {
        EXPECT_EQ(app::nameFilters(filter), expected) << filter;
    }
}

TEST(DisplayText, LabelsShowBytesAndMessagesUtf8PathsWithPlainLineBreaks) {
    EXPECT_EQ(app::labelText("D5\t12.0035\tmm\r\n\r\r\n"), QStringLiteral("D5\t12.0035\tmm\n\n\n"));
    // The gauge's bytes are never read as UTF-8: C3 A9 stays two characters.
    EXPECT_EQ(app::labelText("\xC3\xA9"), QStringLiteral(u"\u00C3\u00A9"));
    EXPECT_EQ(app::messageText("Unable to open file /tmp/r\xC3\xA9sultats.txt"),
              QStringLiteral(u"Unable to open file /tmp/r\u00E9sultats.txt"));
    EXPECT_EQ(app::messageText("12.5 \xB5m\r\n"), QStringLiteral(u"12.5 \u00B5m\n"));
}

}  // namespace
