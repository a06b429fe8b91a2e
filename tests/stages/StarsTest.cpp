// Stars against the par, a time as the player reads it, the stars a progress
// file keeps (also one written before the stars), and the stage the title
// offers after a clear.

#include "StageTestFolder.h"
#include "game/stages/StageChoiceUnit.h"
#include "game/stages/StarsUnit.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

constexpr TStagePar Par{4, 420}; // 4 cells, 7.0 s

TStageInfo Stage(const std::string& name, std::optional<TStagePar> par = Par) {
    TStageInfo stage;
    stage.Name = name;
    stage.Par = par;
    return stage;
}

class StarFile : public StageTestFolder {
protected:
    void SetUp() override {
        StageTestFolder::SetUp();
        file = (root / "progress.ini").string();
    }
    void Write(const std::string& text) const { std::ofstream(file) << text; }

    std::string file;
};

} // namespace

TEST(Stars, OneForTheClearOneAtOrUnderTheParCellsOneAtOrUnderTheParTime) {
    const struct {
        TStageResult Result;
        std::int32_t Stars;
    } cases[] = {
        {{4, 420}, 3}, {{0, 1}, 3},   // at the par, and well under it
        {{5, 420}, 2}, {{4, 421}, 2}, // one cell over, one frame over
        {{5, 421}, 1}, {{421, 4}, 2}, // both over; cells and frames not mixed up
    };
    for (const auto& c : cases)
        EXPECT_EQ(StarsFor(c.Result, Par), c.Stars)
            << c.Result.Cells << " cells, " << c.Result.Frames << " frames";
    EXPECT_EQ(StarsFor({0, 1}, std::nullopt), 1) << "a stage without a par: the clear's star only";
}

TEST(Stars, TimesAreSecondsWithOneDecimalRoundedUpNeverFrames) {
    EXPECT_EQ(SecondsText(420), "7.0 s");
    EXPECT_EQ(SecondsText(421), "7.1 s") << "over the par must not read as the par";
    EXPECT_EQ(SecondsText(59), "1.0 s");
    EXPECT_EQ(SecondsText(6), "0.1 s");
    EXPECT_EQ(SecondsText(0), "0.0 s");
    EXPECT_EQ(SecondsText(2364), "39.4 s");
}

TEST_F(StarFile, AFileFromBeforeTheStarsReadsWithItsStagesClearedAndStarsFromTheirBests) {
    Write("[0001]\nCleared = 1\nBestCells = 5\nBestFrames = 400\n"
          "[0002]\nCleared = 1\nBestCells = 4\nBestFrames = 420\n"
          "[0003]\nCleared = 1\n");
    const TProgress progress(file);
    EXPECT_TRUE(progress.IsCleared("0001"));
    EXPECT_FALSE(progress.Stars("0001")) << "no Stars key in such a file";
    EXPECT_EQ(KeptStars(progress, Stage("0001")), 2) << "over the par's cells, within its time";
    EXPECT_EQ(KeptStars(progress, Stage("0002")), 3);
    EXPECT_EQ(KeptStars(progress, Stage("0003")), 1) << "cleared without a best";
    EXPECT_EQ(KeptStars(progress, Stage("0001", std::nullopt)), 1) << "no par to measure against";
    EXPECT_EQ(KeptStars(progress, Stage("0004")), 0) << "not cleared";
}

TEST_F(StarFile, ANewFileKeepsTheMostStarsEarnedAndTheyWinOverTheBests) {
    Write("[0001]\nCleared = 1\nBestCells = 4\nBestFrames = 400\nStars = 1\n"
          "[0002]\nCleared = 1\nStars = 9\n"
          "[0003]\nStars = 3\n");
    const TProgress progress(file);
    EXPECT_EQ(KeptStars(progress, Stage("0001")), 1) << "the stars recorded, not derived from the best";
    EXPECT_EQ(KeptStars(progress, Stage("0002")), MaxStars) << "never more than three";
    EXPECT_EQ(KeptStars(progress, Stage("0003")), 0) << "stars without a clear count for nothing";
}

TEST_F(StarFile, AKeptClearRecordsTheMostStarsTheStageHasEarned) {
    Write("[0001]\nCleared = 1\nBestCells = 5\nBestFrames = 400\n"); // 2 stars from before
    {
        TProgress progress(file);
        RecordKeptClear(progress, Stage("0001"), {9, 900}); // 1 star: the old two stay
        RecordKeptClear(progress, Stage("0002"), {4, 900}); // 2 stars
        RecordKeptClear(progress, Stage("0002"), {9, 100}); // 2 stars again
        RecordKeptClear(progress, Stage("0003"), {9, 900}); // 1 star
        RecordKeptClear(progress, Stage("0003"), {1, 100}); // then 3
    }
    const TProgress again(file);
    EXPECT_EQ(again.Stars("0001"), 2);
    EXPECT_EQ(again.Best("0001")->Cells, 5) << "the better result stays";
    EXPECT_EQ(again.Stars("0002"), 2) << "two plays of two stars each are not three";
    EXPECT_EQ(again.Stars("0003"), 3);
}

TEST_F(StarFile, AfterAClearTheNextStageNotYetClearedInTheListsOrder) {
    Write("[b]\nCleared = 1\n[c]\nCleared = 1\n[e]\nCleared = 1\n");
    const TProgress progress(file);
    const std::vector<TStageInfo> stages = {Stage("a"), Stage("b"), Stage("c"), Stage("d"), Stage("e")};
    EXPECT_EQ(FirstUnclearedStage(stages, progress), 0u);
    EXPECT_EQ(NextUnclearedStage(stages, progress, 0), 3u) << "b and c are cleared: d";
    EXPECT_EQ(NextUnclearedStage(stages, progress, 3), 0u) << "nothing after d: back to a";
    EXPECT_EQ(NextUnclearedStage(stages, progress, 4), 0u);
    Write("[a]\nCleared = 1\n[b]\nCleared = 1\n");
    const TProgress allButLast(file);
    const std::vector<TStageInfo> three = {Stage("a"), Stage("b"), Stage("c")};
    EXPECT_EQ(FirstUnclearedStage(three, allButLast), 2u);
    EXPECT_EQ(NextUnclearedStage(three, allButLast, 2), 2u) << "only the stage played is left";
    Write("[a]\nCleared = 1\n[b]\nCleared = 1\n[c]\nCleared = 1\n");
    const TProgress all(file);
    EXPECT_EQ(FirstUnclearedStage(three, all), 0u);
    EXPECT_EQ(NextUnclearedStage(three, all, 0), 1u) << "every stage cleared: the one after";
    EXPECT_EQ(NextUnclearedStage(three, all, 2), 2u) << "the last stays the last";
}
