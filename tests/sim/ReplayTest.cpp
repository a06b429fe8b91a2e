// Replays: the file's reader and writer, the recorder beside the box, and a
// recorded play run again in a fresh box to the same bits.

#include "game/stages/PlayRecorderUnit.h"
#include "game/stages/ReplayUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "lib/Z5UtilsUnit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TReplay EveryAction() {
    return TReplay{"user-0003",
                   4000000000u,
                   {{1, {akCell, 12, 30, ctBlock}},
                    {1, {akCell, 64, 48, ctSource}},
                    {240, {akReset}},
                    {300, {akPour, -5, 100}},
                    {410, {akReload}},
                    {410, {akCell, 0, 0, ctEmpty}}},
                   2999,
                   0x7e9e5d4e99664cb5ULL};
}

const std::string Header = "vaporel-replay 1\nstage 0001\nseed 0\n";

std::string ErrorOf(const std::string& text) {
    try {
        ParseReplay(text, "r.txt");
    } catch (const EReplayError& error) {
        return error.what();
    }
    return "(accepted)";
}

} // namespace

TEST(ReplayFile, WritesTheFixedFormAndReadsItBack) {
    const std::string text = FormatReplay(EveryAction());
    EXPECT_EQ(text,
              "vaporel-replay 1\n# written by vaporel " + ProgramVersion +
                  "\nstage user-0003\nseed 4000000000\n"
                  "1 cell 12 30 1\n1 cell 64 48 5\n240 reset\n300 pour -5 100\n410 reload\n410 cell 0 0 0\n"
                  "2999 end hash=7e9e5d4e99664cb5\n");
    EXPECT_EQ(ParseReplay(text, "r.txt"), EveryAction());
    EXPECT_EQ(HashText(0x1f), "000000000000001f");
}

TEST(ReplayFile, AReplayOfAnotherVersionReadsAlike) {
    std::string text = FormatReplay(EveryAction());
    const std::string written = "# written by vaporel " + ProgramVersion + "\n";
    ASSERT_NE(text.find(written), std::string::npos);
    text.replace(text.find(written), written.size(), "# written by vaporel 0.9.7\n");
    EXPECT_EQ(ParseReplay(text, "r.txt"), EveryAction());
}

TEST(ReplayFile, SkipsCommentsBlankLinesAndCarriageReturns) {
    const TReplay replay = ParseReplay("# a solution\n\nvaporel-replay 1\r\nstage 0001\n  # note\nseed 7\n"
                                       "5   cell 1 2 3\n\n9 end hash=00000000000000ff\n# done\n",
                                       "r.txt");
    EXPECT_EQ(replay.Seed, 7u);
    ASSERT_EQ(replay.Steps.size(), 1u);
    EXPECT_EQ(replay.Steps[0], (TReplayStep{5, {akCell, 1, 2, ctOutlet}}));
    EXPECT_EQ(replay.EndFrame, 9);
    EXPECT_EQ(replay.EndHash, 0xffu);
}

TEST(ReplayFile, AnEmptyPlayEndsAtFrameZero) {
    EXPECT_EQ(ParseReplay(Header + "0 end hash=0000000000000000\n", "r.txt").EndFrame, 0);
}

TEST(ReplayFile, ADamagedFileIsOneLineNamingTheFileAndTheLine) {
    const struct {
        std::string Text;
        std::string Expected; // the start of the message
    } cases[] = {
        {"", "r.txt: line 1: not a replay"},
        {"vaporel-replay\n", "r.txt: line 1: not a replay"},
        {"vaporel-replay 2\n", "r.txt: line 1: replay version 2"},
        {"vaporel-replay 1\nseed 0\n", "r.txt: line 2: expected 'stage NAME'"},
        {"vaporel-replay 1\nstage ../x\n", "r.txt: line 2: '../x' is no stage name"},
        {"vaporel-replay 1\nstage 0001\nseed -1\n", "r.txt: line 3: the seed is not a number"},
        {"vaporel-replay 1\nstage 0001\nseed 1 2\n", "r.txt: line 3: expected 'seed N'"},
        {"vaporel-replay 1\nstage 0001\nseed 4294967296\n", "r.txt: line 3: the seed is not a number"},
        {Header + "1 cell 65 0 1\n", "r.txt: line 4: the column must lie between 0 and 64"},
        {Header + "1 cell 0 49 1\n", "r.txt: line 4: the row must lie between 0 and 48"},
        {Header + "1 cell 0 0 6\n", "r.txt: line 4: the cell type must lie between 0 and 5"},
        {Header + "1 cell 0 0\n", "r.txt: line 4: expected 'F cell COL ROW TYPE'"},
        {Header + "1 cell 0 0 1x\n", "r.txt: line 4: the cell type is not a number"},
        {Header + "1 flood\n", "r.txt: line 4: unknown action 'flood'"},
        {Header + "1 reset now\n", "r.txt: line 4: expected 'F reset'"},
        {Header + "1 pour 5\n", "r.txt: line 4: expected 'F pour X Y'"},
        {Header + "0 reset\n", "r.txt: line 4: the frame must lie between 1"},
        {Header + "216001 reset\n", "r.txt: line 4: the frame must lie between 1 and 216000"},
        {Header + "216001 end hash=0000000000000000\n",
         "r.txt: line 4: the frame must lie between 0 and 216000"},
        {Header + "x reset\n", "r.txt: line 4: the frame is not a number"},
        {Header + "9 reset\n\n8 reset\n", "r.txt: line 6: frame 8 comes after frame 9"},
        {Header + "9 reset\n8 end hash=0000000000000000\n", "r.txt: line 5: frame 8 comes after frame 9"},
        {Header + "9 reset\n", "r.txt: line 5: the end line ('F end hash=H') is missing"},
        {Header + "9 reset\n12", "r.txt: line 5: expected 'F ACTION ...'"},
        {Header + "9 reset\n12 en", "r.txt: line 5: unknown action 'en'"},
        {Header + "9 end hash=00000000000000\n", "r.txt: line 4: the end's hash must be"},
        {Header + "9 end hash=000000000000000g\n", "r.txt: line 4: the end's hash must be"},
        {Header + "9 end 0000000000000000\n", "r.txt: line 4: the end's hash must be"},
        {Header + "9 end hash=0000000000000000\n10 reset\n", "r.txt: line 5: a line after the end line"},
    };
    for (const auto& c : cases) {
        const std::string message = ErrorOf(c.Text);
        EXPECT_EQ(message.rfind(c.Expected, 0), 0u) << c.Text << "\ngave: " << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

TEST(ReplayFile, AFrameTakesAtMostItsShareOfActions) {
    std::string text = Header;
    for (std::int32_t i = 0; i < MaxReplayActionsPerFrame; ++i)
        text += "7 cell 1 1 1\n";
    EXPECT_EQ(ParseReplay(text + "7 end hash=0000000000000000\n", "r.txt").Steps.size(),
              std::size_t(MaxReplayActionsPerFrame));
    EXPECT_EQ(ParseReplay(text + "8 reset\n8 end hash=0000000000000000\n", "r.txt").Steps.size(),
              std::size_t(MaxReplayActionsPerFrame + 1))
        << "the next frame's actions count afresh";
    EXPECT_EQ(ErrorOf(text + "7 reset\n"), "r.txt: line 10004: more than 10000 actions before frame 7");
}

TEST(ReplayFile, AMessageShowsTheFilesControlCharactersEscaped) {
    using namespace std::string_literals;
    const std::string message = ErrorOf("vaporel-replay 1\nstage \x1b]0;x\x07\0after\n"s);
    EXPECT_EQ(message,
              "r.txt: line 2: '\\x1b]0;x\\x07\\x00after' is no stage name (letters, digits, '-' and '_')");
}

TEST(ReplayFile, LoadNamesAFileThatCannotBeRead) {
    try {
        LoadReplay(testing::TempDir());
        FAIL() << "a folder was read as a replay";
    } catch (const EReplayError& error) {
        EXPECT_NE(std::string(error.what()).find(testing::TempDir()), std::string::npos) << error.what();
    }
}

TEST(ReplayFile, EditedCellsCountEachCellOnce) {
    EXPECT_EQ(EveryAction().EditedCellCount(), 3);
}

namespace {

class Recording : public testing::Test {
protected:
    void SetUp() override {
        SetRandSeed(0);
        box = std::make_unique<TVaporelBox>(profiler);
        box->LoadStage(VAPOREL_STAGE_DIR);
    }

    void Run(std::int32_t frames) {
        for (std::int32_t i = 0; i < frames; ++i)
            box->Execute();
    }

    void SetType(std::int32_t column, std::int32_t row, TCellType type) {
        TMapCell cell = box->GetCell(column, row);
        cell.CellType = type;
        box->SetCell(column, row, cell);
    }

    TGameProfiler profiler;
    std::unique_ptr<TVaporelBox> box;
};

} // namespace

TEST_F(Recording, HearsEveryActionBeforeItsFrameAndLeavesOutWhatCameAfterTheLast) {
    TPlayRecorder recorder(*box);
    SetType(3, 3, ctBlock); // before Begin: not part of the play
    recorder.Begin("0001", RandSeed());
    box->Restart();
    SetType(10, 10, ctBlock);
    SetType(10, 10, ctBlock); // the same type again changes nothing
    Run(2);
    box->Apply({akPour, 500, 100});
    box->Apply({akReset});
    Run(1);
    box->Apply({akReload});
    box->Apply({akCell, 11, 10, ctDrain});
    const TReplay played = recorder.Replay();
    EXPECT_EQ(played.Stage, "0001");
    EXPECT_EQ(played.Steps, (std::vector<TReplayStep>{
                                {1, {akCell, 10, 10, ctBlock}}, {3, {akPour, 500, 100}}, {3, {akReset}}}));
    EXPECT_EQ(played.EndFrame, 3);
    EXPECT_EQ(played.EndHash, box->WaterHash());
    recorder.End();
    SetType(12, 10, ctBlock);
    recorder.Begin("0001", 0);
    EXPECT_TRUE(recorder.Replay().Steps.empty()) << "a new play starts empty";
}

// The second play of a run starts from what the first left (the generator's
// state, the pool's slots): its replay must still start a fresh box exactly.
TEST_F(Recording, ASecondPlayRunsAgainInAFreshBoxToTheSameBits) {
    box->Restart();
    Run(200);
    box->Apply({akPour, 300, 200});
    Run(20);
    TPlayRecorder recorder(*box);
    recorder.Begin("0001", RandSeed());
    box->Restart();
    SetType(20, 20, ctBlock);
    Run(30);
    box->Apply({akPour, 500, 100});
    Run(10);
    SetType(21, 20, ctOutlet);
    box->Apply({akReset});
    Run(40);
    const TReplay played = ParseReplay(FormatReplay(recorder.Replay()), "played.txt");

    TVaporelBox fresh(profiler);
    SetRandSeed(played.Seed);
    fresh.LoadStage(VAPOREL_STAGE_DIR);
    fresh.Restart();
    std::size_t next = 0;
    for (std::int32_t frame = 1; frame <= played.EndFrame; ++frame) {
        for (; next < played.Steps.size() && played.Steps[next].Frame == frame; ++next)
            fresh.Apply(played.Steps[next].Action);
        fresh.Execute();
    }
    EXPECT_EQ(next, played.Steps.size());
    EXPECT_EQ(fresh.WaterHash(), played.EndHash);
}
