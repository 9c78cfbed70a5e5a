#include <QAccessible>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/temp_folder.h"

namespace {

// The status keeps its two texts; why a port failed is there on hover and for a screen reader.
TEST(Form1PortDetail, AFailedApplyTellsWhyOnHoverAndToScreenReadersAndAGoodOneClearsIt) {
    testsupport::TempFolder folder;
    testsupport::FakePort port;
    pointsfile::FileTable files;
    app::Form1 window(port, files);
    window.setProgramFolder(folder.path().string());
    const auto heard = [&window](QAccessible::Text what) {
        return QAccessible::queryAccessibleInterface(window.lblPortConfigured)->text(what);
    };
    port.setHeldByAnotherProgram(true);
    window.load();
    EXPECT_EQ(heard(QAccessible::Name), QStringLiteral("Invalid port"));
    EXPECT_EQ(window.lblPortConfigured->toolTip(), QStringLiteral("Cannot open fake COM1"));
    EXPECT_EQ(heard(QAccessible::Description), QStringLiteral("Cannot open fake COM1"));

    port.setHeldByAnotherProgram(false);
    window.cmdSetNewBaudRate->click();
    EXPECT_EQ(heard(QAccessible::Name), QStringLiteral("Valid port"));
    EXPECT_EQ(window.lblPortConfigured->toolTip(), QString());
    EXPECT_EQ(heard(QAccessible::Description), QStringLiteral("Port status"));  // the caption again
}

}  // namespace
