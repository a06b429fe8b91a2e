// The two game states on a box and a frame timer of their own, without a
// display: the switches they ask for, the frame rate, and the map editing.

#include "HeadlessScreen.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/render/HeadlessLayerTextures.h"
#include "game/states/GuideUnit.h"
#include "game/states/MainGameStateUnit.h"
#include "game/states/TitleStateUnit.h"
#include "game/app/WaitTimerUnit.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

class RecordedSwitches : public TStateSwitch {
public:
    void ChangeToTitle() override { Calls.push_back("title"); }
    void ChangeToMain() override { Calls.push_back("main"); }
    std::vector<std::string> Calls;
};

// Holds or releases a key as the message layer reports it.
void SetKey(int key, bool down) {
    PostMessage(nullptr, down ? WM_KEYDOWN : WM_KEYUP, static_cast<std::uintptr_t>(key), 0);
    WindowMessage message;
    while (PeekMessage(message)) {
    }
}

class GameStateTest : public testing::Test {
protected:
    void SetUp() override {
        UseTestScreen();
        Box.LoadStage("stages/0001/"); // beside the test program
        Music.LoadBGMList();
        WaitTimer.SetRate(NormalFrameRate);
    }
    void TearDown() override {
        for (int key : {OutletKey, DrainKey, SourceKey})
            SetKey(key, false);
    }

    TCellType CellAt(int column, int row) const { return Box.Cells[column][row].CellType; }
    std::vector<TCellType> CellTypes() const {
        std::vector<TCellType> types;
        for (const auto& column : Box.Cells)
            for (const TMapCell& cell : column)
                types.push_back(cell.CellType);
        return types;
    }
    // A left click at the centre of a cell, as the first press of a stroke.
    void ClickCell(int column, int row, TShiftFlags shift = ssLeft) {
        Main.MouseDown(column * CellSize + 8, row * CellSize + 8, mbLeft, shift);
    }

    TGameProfiler Profiler;
    THeadlessLayerTextures Textures;
    TVaporelBox Box{Profiler, Textures};
    TWaitTimer WaitTimer;
    RecordedSwitches App;
    // The music, on a sound device without an audio output: it opens its
    // pieces and follows its fades without playing them.
    TSoundManager Sound{[](AudioRenderer&) -> std::unique_ptr<AudioOutput> { throw AudioError("none"); }};
    TBGMManager Music{Sound};
    TTitleState Title{App, nullptr, WaitTimer, Music, Box};
    TMainGameState Main{App, nullptr, WaitTimer, Music, Box};
};

} // namespace

TEST_F(GameStateTest, TheTitlePromptBlinksEveryThirtyFramesAndOnlyALeftClickStarts) {
    for (int i = 0; i < 75; ++i)
        Title.Update();
    Title.Enter();
    EXPECT_TRUE(Music.VolumeFading()) << "the music fades out on the title";
    std::string shown; // every fifth frame
    for (int frame = 0; frame < 95; ++frame, Title.Update())
        if (frame % 5 == 0)
            shown += Title.PromptVisible() ? '1' : '0';
    EXPECT_EQ(shown, "1111110000001111110") << "frames 0-29 shown, 30-59 hidden, from Enter on";

    Title.MouseDown(10, 10, mbRight, ssRight);
    Title.MouseDown(10, 10, mbMiddle, ssMiddle);
    EXPECT_TRUE(App.Calls.empty());
    Title.MouseDown(10, 10, mbLeft, ssLeft);
    EXPECT_EQ(App.Calls, std::vector<std::string>{"main"});
}

TEST_F(GameStateTest, TheGameRestartsTheStageAndReturnsToTheTitleWhenTheBoxIsFinished) {
    Box.Cells[30][5].CellType = ctBlock; // an edit of the last game
    Box.Finished = true;
    Music.SetVolume(0.0); // faded out on the title
    Main.Enter();
    EXPECT_FALSE(Box.Finished);
    EXPECT_EQ(Music.CurrentIndex(), bidGame) << "the game's music starts";
    EXPECT_EQ(Music.Volume(), 1.0);
    EXPECT_EQ(CellAt(30, 5), ctEmpty) << "the map is read again";
    Main.Update();
    EXPECT_EQ(Box.StateTimer, 1) << "one frame of the water ran";
    EXPECT_TRUE(App.Calls.empty());
    Box.Finished = true;
    Main.Update();
    EXPECT_EQ(App.Calls, std::vector<std::string>{"title"});
}

TEST_F(GameStateTest, TheStageKeepsItsOwnMapAndTheGoalStandsForTheFirstFiveSecondsOfAPlay) {
    Main.Enter();
    Box.Cells[30][5].CellType = ctBlock;
    EXPECT_EQ(Box.StageCellTypes[30][5], ctEmpty) << "an edit is no part of the stage's own map";
    EXPECT_EQ(Box.StageCellTypes[51][47], ctOutlet);
    Box.ReloadStage();
    EXPECT_EQ(Box.Cells[30][5].CellType, ctEmpty);

    // The numbers of the shipped data.xml, each where it belongs.
    EXPECT_EQ(GoalLine(Box.BlueWaterNumForClear, Box.EtcWaterNumForEnd).View(),
              "Goal: 300 blue drops out through the outlets, before 150 red drops get out.");
    for (int frame = 0; frame < GoalLineFrames; ++frame) {
        ASSERT_TRUE(GoalLineVisible(Box)) << "timed frame " << frame;
        Main.Update();
    }
    EXPECT_FALSE(GoalLineVisible(Box)) << "gone after 300 timed frames";
    Box.ResetWater(); // R pours the water again: a new play
    EXPECT_TRUE(GoalLineVisible(Box));
    Box.State = bsGameOver;
    EXPECT_FALSE(GoalLineVisible(Box)) << "not over a result";
}

TEST_F(GameStateTest, TheRightButtonRunsFourTimesAsFastUntilReleasedOrTheGameIsLeft) {
    Main.MouseDown(500, 300, mbRight, ssRight);
    EXPECT_EQ(WaitTimer.Rate(), 240);
    Main.MouseUp(500, 300, mbLeft, ssRight);
    EXPECT_EQ(WaitTimer.Rate(), 240) << "only the right button's release counts";
    Main.MouseUp(500, 300, mbRight, 0);
    EXPECT_EQ(WaitTimer.Rate(), 60);
    Main.MouseDown(500, 300, mbRight, ssRight);
    Main.Leave();
    EXPECT_EQ(WaitTimer.Rate(), 60);
}

TEST_F(GameStateTest, AHeldLeftButtonTogglesEachCellItCrossesOnce) {
    ClickCell(30, 5);
    EXPECT_EQ(CellAt(30, 5), ctBlock);
    for (int x = 30 * 16; x < 33 * 16; x += 3) // over three cells, many moves in each
        Main.MouseMove(x, 5 * 16 + 2, ssLeft);
    EXPECT_EQ(CellAt(30, 5), ctBlock) << "the cell of the press is not toggled back";
    EXPECT_EQ(CellAt(31, 5), ctBlock);
    EXPECT_EQ(CellAt(32, 5), ctBlock);
    EXPECT_EQ(Main.LastCellX(), 32);
    Main.MouseMove(34 * 16, 5 * 16, ssShift);
    EXPECT_EQ(CellAt(34, 5), ctEmpty) << "no left button, no change";
    ClickCell(32, 5);
    EXPECT_EQ(CellAt(32, 5), ctEmpty) << "a new press on the last cell toggles it back";
}

TEST_F(GameStateTest, TheHeldStartClickSkipsTheCellChangedLastUntilTheFirstPress) {
    Main.Enter();
    EXPECT_EQ(Main.LastCellX(), 0);
    EXPECT_EQ(Main.LastCellY(), 0);
    Box.Cells[0][0].CellType = ctEmpty;
    Box.Cells[0][2].CellType = ctEmpty;
    Main.MouseMove(5, 5, ssLeft);
    EXPECT_EQ(CellAt(0, 0), ctEmpty) << "cell (0, 0) is skipped: it counts as changed last";
    Main.MouseMove(-5, 37, ssLeft);
    EXPECT_EQ(CellAt(0, 2), ctBlock) << "(-5, 37) is cell (0, 2): division truncates toward zero";
    ClickCell(0, 0);
    EXPECT_EQ(CellAt(0, 0), ctBlock);
}

TEST_F(GameStateTest, KeysChooseTheCellTypeInTheOrderOneTwoThreeCtrl) {
    const int row = 5;
    SetKey(OutletKey, true);
    ClickCell(30, row, ssLeft | ssCtrl);
    EXPECT_EQ(CellAt(30, row), ctOutlet) << "1 comes before Ctrl";
    ClickCell(30, row);
    EXPECT_EQ(CellAt(30, row), ctEmpty) << "an outlet toggles back to empty";
    SetKey(OutletKey, false);
    SetKey(DrainKey, true);
    SetKey(SourceKey, true);
    ClickCell(31, row);
    EXPECT_EQ(CellAt(31, row), ctDrain) << "2 comes before 3";
    SetKey(DrainKey, false);
    ClickCell(31, row);
    EXPECT_EQ(CellAt(31, row), ctSource) << "with 3 any other type becomes a source";
    SetKey(SourceKey, false);
    ClickCell(32, row, ssLeft | ssCtrl);
    EXPECT_EQ(CellAt(32, row), ctWall);
    ClickCell(32, row);
    EXPECT_EQ(CellAt(32, row), ctWall) << "no key and no Ctrl: a wall stays";
    ClickCell(31, row);
    EXPECT_EQ(CellAt(31, row), ctSource) << "and so does a source";
}

TEST_F(GameStateTest, APositionOffTheMapChangesNothing) {
    const std::vector<TCellType> before = CellTypes();
    for (const auto& [x, y] : {std::pair{-108, -108}, {1122, 872}, {-17, 300}, {300, 784}}) {
        EXPECT_NO_THROW(Main.MouseDown(x, y, mbLeft, ssLeft));
        EXPECT_NO_THROW(Main.MouseMove(x, y, ssLeft));
    }
    EXPECT_EQ(CellTypes(), before);
    Main.MouseMove(1039, 783, ssLeft);
    EXPECT_EQ(CellAt(64, 48), ctBlock) << "the spare column and row are on the map";
}

TEST(CellCursor, OutlinesTheCellByDivisionTruncatingTowardZero) {
    EXPECT_EQ(CellOrigin(-5), 0) << "(-5, 37) outlines (0, 32) to (16, 48)";
    EXPECT_EQ(CellOrigin(37), 32);
    EXPECT_EQ(CellOrigin(-17), -16);
}
