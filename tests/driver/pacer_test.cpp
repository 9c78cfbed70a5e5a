#include "driver/pacer.h"

#include <gtest/gtest.h>

#include "driver/window_core.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"

namespace {

// The window's core in virtual time, its poll tick every 50 ms; the test puts each reply on the
// line when it pleases, told of or (a notice gone astray) not.
TEST(PacerTest, LinePaceStepsOnInputAtTheGapsEndAndOnTheTickAndAChoiceWaitsForTheNextTransfer) {
    const testsupport::TempFolder folder;
    const std::string points = folder.file("points.txt");
    testsupport::FakeView view;
    gaugesim::GaugeConfig silent;
    silent.silent = true;
    testsupport::FakePort port(silent);
    pointsfile::FileTable files;
    driver::WindowCore core(view, port, files);
    view.onTick([&](view::Timer timer) { core.onTimerTick(timer); });
    core.loadChoices(folder.file("avrbl.txt"));  // none: Com 1, statistics off
    core.onSetNewBaudRate();
    const auto press = [&] {
        view.answerNextDialog(points);
        core.onGetMemoryPoints();
    };
    const auto arrive = [&](const char* reply) {
        port.injectInput(reply);
        core.onInputArrived();
    };

    core.choosePace(driver::Pace::Line, 20);
    press();
    EXPECT_EQ(port.written(), "MZ\r");  // at once
    arrive("MEMORY\r\n");
    view.advance(19);
    EXPECT_EQ(port.written(), "MZ\r");  // the opening reply is in: the gap
    view.advance(1);
    EXPECT_EQ(port.written(), "MZ\rMC\r");
    port.injectInput("2\r\n");
    view.advance(29);
    EXPECT_EQ(port.written(), "MZ\rMC\r");
    view.advance(21);  // the tick at 50 ms takes the count, then the gap
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\r");
    core.choosePace(driver::Pace::Poll);
    arrive("1\t12.5\r\n");
    view.advance(20);
    arrive("2\t12.6\r\n");  // at 90 ms, before the next tick
    EXPECT_EQ(view.messageBoxes().back().text, "Transfer Complete - Data saved in file " + points);

    press();
    core.onInputArrived();
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\rMN\r");  // the poll pace waits for the tick
    view.advance(10);
    EXPECT_EQ(port.written(), "MZ\rMC\rMN\rMN\rMZ\r");
}

}  // namespace
