#include "app/qt_name_only_icon_provider.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>

#include "support/temp_folder.h"

namespace {

// A pipe named like a comN link stands in for a device that never answers: opening it to read
// waits for a writer, so a provider that looked inside would never return.
TEST(NameOnlyIconProvider, NamesADeviceThatNeverAnswersWithoutOpeningIt) {
    testsupport::TempFolder folder;
    const std::string pipe = folder.file("com1");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const QFileInfo info(QString::fromStdString(pipe));
    std::future<QString> type = std::async(std::launch::async, [info] {
        const app::NameOnlyIconProvider provider;
        provider.icon(info);
        return provider.type(info);
    });
    const bool answered = type.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    if (!answered) {
        close(open(pipe.c_str(), O_WRONLY | O_NONBLOCK));  // lets the stuck reader go
    }
    ASSERT_TRUE(answered) << "the provider opened the device behind the link";
    EXPECT_FALSE(type.get().isEmpty());
    // Also where no icon theme is installed: the dialog's side bar warns about an empty picture.
    EXPECT_FALSE(app::NameOnlyIconProvider().icon(info).isNull());
}

}  // namespace
