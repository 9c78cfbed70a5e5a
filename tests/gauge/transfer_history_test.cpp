#include <set>
#include <string>
#include <vector>

#include "gauge/transfer_texts.h"
#include "transfer_fixture.h"

namespace {

// What the transfer handed over at each end, and an answer it gives back.
class RecordingKeeper : public gauge::DownloadKeeper {
public:
    struct Kept {
        pointsfile::DownloadRecord record;
        pointsfile::SummaryChoices summary;
        std::vector<std::string> lines;
    };

    std::optional<std::string> keep(const pointsfile::DownloadRecord& record,
                                    const pointsfile::SummaryChoices& summary,
                                    const pointsfile::ReceivedLines& lines) override {
        Kept kept{record, summary, {}};
        for (std::size_t i = 0; i < lines.size(); ++i) {
            kept.lines.emplace_back(std::string(pointsfile::sectionName(lines.section(i))) + ":" +
                                    std::string(lines.line(i)));
        }
        this->kept.push_back(std::move(kept));
        return failure;
    }

    std::vector<Kept> kept;
    std::optional<std::string> failure;
};

class TransferHistoryTest : public testsupport::TransferFixture {
protected:
    TransferHistoryTest() {
        transfer.keepDownloadsIn(&keeper, [this] { return "uid-" + std::to_string(++uids); });
        view.setCheckBoxValue(view::CheckBox::chkIncludeStatistics, 1);
    }

    RecordingKeeper keeper;
    int uids = 0;
};

// Every end hands the download over once, after its file is closed: every line received in
// order (a deleted point the file leaves out among them), how it ended, and whether it was whole.
TEST_F(TransferHistoryTest, EveryEndHandsTheDownloadOverOnceWithEveryLineReceived) {
    struct Case {
        std::string memoryCount;
        std::optional<std::string> stopReason;
        std::optional<std::size_t> stopAfter;
        std::string end;
        bool complete;
        std::size_t lines;
    };
    const std::string complete = std::string(gauge::kTransferComplete) + folder.file("p.txt");
    const Case cases[] = {
        {"2", {}, {}, complete, true, 4},
        {"0", {}, {}, std::string(gauge::kNoMemoryPoints), false, 2},
        {"-3", {}, {}, std::string(gauge::kInvalidMemoryCount), false, 2},
        {"2", {}, 3, std::string(gauge::kTimeout), false, 3},
        {"2", "Terminated", {}, "Terminated", false, 1},
    };
    pointsfile::OutputChoices output;
    output.summary.characteristic = "Bore";
    transfer.chooseOutput(output);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.end);
        useGauge([&c](gaugesim::GaugeConfig& gauge) {
            gauge.memoryPoints = {"1\t12.5", "D2\t9"};
            gauge.memoryCountText = c.memoryCount;
            gauge.stopAfterPoints = c.stopAfter;
        });
        keeper.kept.clear();
        pressAndSave("p.txt");
        if (c.stopReason) {
            tick(6);
            EXPECT_EQ(transfer.stop(*c.stopReason), std::nullopt);
        }
        runToEnd();
        view.advance(5000);
        ASSERT_EQ(keeper.kept.size(), 1u);
        const RecordingKeeper::Kept& kept = keeper.kept.front();
        EXPECT_EQ(kept.record.endMessage, c.end);
        EXPECT_EQ(kept.record.complete, c.complete);
        EXPECT_EQ(kept.record.file, folder.file("p.txt"));
        EXPECT_EQ(kept.record.form, "text");
        EXPECT_FALSE(kept.record.endedAt.empty());
        EXPECT_EQ(kept.summary.characteristic, "Bore");
        const std::vector<std::string> all{"Statistics:MIN\t1.5", "Statistics:MAX\t2.5",
                                           "Memory:1\t12.5", "Memory:D2\t9"};
        EXPECT_EQ(kept.lines, std::vector(all.begin(), all.begin() + long(c.lines)));
        EXPECT_EQ(kept.record.rowsReceived, int(c.lines));
        EXPECT_EQ(kept.record.rowsWritten, int(std::min<std::size_t>(c.lines, 3)));
    }
    EXPECT_EQ(uids, int(std::size(cases)));
}

// The history's failure is told once, after the transfer's own end message; for an end from
// outside (Exit, a signal) the caller takes it.
TEST_F(TransferHistoryTest, AHistoryFailureIsToldOnceAfterTheEndMessage) {
    keeper.failure = "This download could not be kept in the history h.sqlite: disk full.";
    pressAndSave("p.csv");
    runToEnd();
    view.advance(5000);
    ASSERT_EQ(view.messageBoxes().size(), 2u);
    EXPECT_TRUE(view.messageBoxes()[0].text.starts_with(gauge::kTransferComplete));
    EXPECT_EQ(view.messageBoxes()[1].text, *keeper.failure);
    EXPECT_EQ(keeper.kept.back().record.form, "csv");

    pressAndSave("p.txt");
    tick(3);
    transfer.stop("Interrupted");
    EXPECT_EQ(view.messageBoxes().size(), 2u);
    EXPECT_EQ(transfer.takeHistoryFailure(), keeper.failure);
    EXPECT_EQ(transfer.takeHistoryFailure(), std::nullopt);
}

}  // namespace
