#include "driver/pacer.h"

#include <gtest/gtest.h>

#include "driver/window_core.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"

namespace {

// The window's core in virtual time, its poll tick every 50 ms; the gauge model's replies wait
// until the test lets them in, as a line delivers them, told of or (a notice gone astray) not.
TEST(PacerTest, LinePaceStepsOnInputAtTheGapsEndAndOnTheTickAndAChoiceWaitsForTheNextTransfer) {
    const testsupport::TempFolder folder;
    const std::string points = folder.file("points.txt");
    testsupport::FakeView view;
    gaugesim::GaugeConfig gauge;
    gauge.memoryPoints = {"1\t12.5", "2\t12.6"};
    testsupport::FakePort port(gauge);
    pointsfile::FileTable files;
    driver::WindowCore core(view, port, files);
    view.onTick([&](view::Timer timer) { core.onTimerTick(timer); });
    port.onInputArrived([&] { core.onInputArrived(); });
    core.loadChoices(folder.file("avrbl.txt"));  // none: Com 1, statistics off
    core.onSetNewBaudRate();
    port.holdReplies();
    const auto press = [&] {
        view.answerNextDialog(points);
        core.onGetMemoryPoints();
    };

    core.choosePace(driver::Pace::Line, 20);
    press();
    EXPECT_EQ(port.written(), "MZ\r");  // at once
    port.letRepliesIn();
    view.advance(19);
    EXPECT_EQ(port.written(), "MZ\r");  // the opening reply is in: the gap
    view.advance(1);
    EXPECT_EQ(port.written(), "MZ\rMC\r");
    port.letRepliesIn(false);
    view.advance(29);
    EXPECT_EQ(port.written(), "MZ\rMC\r");
    view.advance(21);  // the tick at 50 ms takes the count, then the gap
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\r");
    core.choosePace(driver::Pace::Poll);
    port.letRepliesIn();
    view.advance(20);
    port.letRepliesIn();  // at 90 ms, before the next tick
    EXPECT_EQ(view.messageBoxes().back().text, "Transfer Complete - Data saved in file " + points);

    press();
    port.letRepliesIn();
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\rMN\r");  // the poll pace waits for the tick
    view.advance(10);
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\rMN\rMZ\r");
}

}  // namespace
