// The two game states on a box and a frame timer of their own, without a
// display: the switches they ask for, the frame rate, and the map editing.

#include "BoxSetup.h"
#include "HeadlessScreen.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/core/WaitTimerUnit.h"
#include "game/stages/StagePlaysUnit.h"
#include "game/states/GuideUnit.h"
#include "game/states/MainGameStateUnit.h"
#include "game/states/OutcomeUnit.h"
#include "game/states/TitleStateUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <utility>
#include <vector>

using namespace platform;

namespace {

class RecordedSwitches : public TStateSwitch {
public:
    void ChangeToTitle() override { Calls.push_back("title"); }
    void ChangeToMain() override { Calls.push_back("main"); }
    void ChangeToEditor() override { Calls.push_back("editor"); }
    void Invalidate() override { InvalidatedAt.push_back(Frame); }
    std::vector<std::string> Calls;
    int Frame = 0;                  // set by the test as its frames go by
    std::vector<int> InvalidatedAt; // frames whose picture was marked out of date
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
        for (int key : {OutletKey, DrainKey, SourceKey, VK_CONTROL})
            SetKey(key, false);
    }

    TCellType CellAt(int column, int row) const { return Box.Cells()[column][row].CellType; }
    std::vector<TCellType> CellTypes() const {
        std::vector<TCellType> types;
        for (const auto& column : Box.Cells())
            for (const TMapCell& cell : column)
                types.push_back(cell.CellType);
        return types;
    }
    // Empties the cells of columns and rows in [first, last].
    void EmptyCells(int firstColumn, int lastColumn, int firstRow, int lastRow) {
        for (int column = firstColumn; column <= lastColumn; ++column)
            for (int row = firstRow; row <= lastRow; ++row)
                Box.SetCell(column, row, TMapCell{ctEmpty});
    }
    // A left click at the centre of a cell, as the first press of a stroke.
    void ClickCell(int column, int row, TShiftFlags shift = ssLeft) {
        Main.MouseDown(column * CellSize + 8, row * CellSize + 8, mbLeft, shift);
    }

    TGameProfiler Profiler;
    TVaporelBox Box{Profiler};
    TWaitTimer WaitTimer;
    RecordedSwitches App;
    // The music, on a sound device without an audio output: it opens its
    // pieces and follows its fades without playing them.
    TSoundManager Sound{[](AudioRenderer&) -> std::unique_ptr<AudioOutput> { throw AudioError("none"); }};
    TBGMManager Music{Sound};
    TTitleState Title{App, nullptr, WaitTimer, Music, Box};
    TMainGameState Main{App, nullptr, WaitTimer, Music, Box, Sound};
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

TEST_F(GameStateTest, TheTitleMarksItsPictureOutOfDateOnlyWhenThePromptBlinks) {
    Title.Enter();
    for (App.Frame = 1; App.Frame <= 150; ++App.Frame)
        Title.Update();
    EXPECT_EQ(App.InvalidatedAt, (std::vector<int>{30, 60, 90, 120, 150}))
        << "the prompt hides at frame 30 and shows again at 60";
    EXPECT_FALSE(Title.Animated()) << "the title is drawn only when something changed";
    EXPECT_TRUE(Main.Animated()) << "the water moves in every frame";
}

TEST_F(GameStateTest, TheGameRestartsTheStageAndReturnsToTheTitleWhenTheBoxIsFinished) {
    Box.SetCell(30, 5, TMapCell{ctBlock}); // an edit of the last game
    TBoxSetup(Box).SetFinished(true);
    Music.SetVolume(0.0); // faded out on the title
    Main.Enter();
    EXPECT_FALSE(Box.Finished());
    EXPECT_EQ(Music.CurrentIndex(), bidGame) << "the game's music starts";
    EXPECT_EQ(Music.Volume(), 1.0);
    EXPECT_EQ(CellAt(30, 5), ctEmpty) << "the map is read again";
    Main.Update();
    EXPECT_EQ(Box.StateTimer(), 1) << "one frame of the water ran";
    EXPECT_TRUE(App.Calls.empty());
    TBoxSetup(Box).SetFinished(true);
    Main.Update();
    EXPECT_EQ(App.Calls, std::vector<std::string>{"title"});
}

TEST_F(GameStateTest, TheStageKeepsItsOwnMapAndTheGoalStandsForTheFirstFiveSecondsOfAPlay) {
    Main.Enter();
    Box.SetCell(30, 5, TMapCell{ctBlock});
    EXPECT_EQ(Box.StageCellTypes()[30][5], ctEmpty) << "an edit is no part of the stage's own map";
    EXPECT_EQ(Box.StageCellTypes()[51][47], ctOutlet);
    Box.ReloadStage();
    EXPECT_EQ(Box.Cells()[30][5].CellType, ctEmpty);

    // The numbers of the shipped data.xml, each where it belongs.
    EXPECT_EQ(GoalLine(Box).View(),
              "Goal: 300 blue drops out through the outlets, before 150 red drops get out.");
    const std::int32_t blueWaterNum = Box.Parameters().BlueWaterNum;
    TBoxSetup(Box).Parameters().BlueWaterNum = Box.Parameters().WaterParticleNum; // a pool of blue water only
    EXPECT_EQ(GoalLine(Box).View(), "Goal: 300 blue drops out through the outlets.")
        << "no red limit to name";
    TBoxSetup(Box).Parameters().BlueWaterNum = blueWaterNum;
    for (int frame = 0; frame < GoalLineFrames; ++frame) {
        ASSERT_TRUE(GoalLineVisible(Box)) << "timed frame " << frame;
        Main.Update();
    }
    EXPECT_FALSE(GoalLineVisible(Box)) << "gone after 300 timed frames";
    Box.ResetWater(); // R pours the water again: a new play
    EXPECT_TRUE(GoalLineVisible(Box));
    TBoxSetup(Box).SetState(bsGameOver, Box.StateTimer());
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
    EXPECT_EQ(Sound.Item(EtcDropSound).CooldownFrames, 24) << "the drops stay at ten a second";
    Main.Leave();
    EXPECT_EQ(WaitTimer.Rate(), 60);
    EXPECT_EQ(Sound.Item(EtcDropSound).CooldownFrames, 6);
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
    Box.SetCell(0, 0, TMapCell{ctEmpty});
    Box.SetCell(0, 2, TMapCell{ctEmpty});
    Main.MouseMove(5, 5, ssLeft);
    EXPECT_EQ(CellAt(0, 0), ctEmpty) << "cell (0, 0) is skipped: it counts as changed last";
    Main.MouseMove(-5, 37, ssLeft);
    EXPECT_EQ(CellAt(0, 2), ctBlock) << "(-5, 37) is cell (0, 2): division truncates toward zero";
    ClickCell(0, 0);
    EXPECT_EQ(CellAt(0, 0), ctBlock);
}

// A new play's start click, held and dragged, edits only the cells under its
// own motion: no line from the last play's press, no cell skipped for having
// been in the last play's stroke.
TEST_F(GameStateTest, TheHeldStartClickOfANewPlayEditsOnlyTheCellsUnderItsMotion) {
    Main.Enter();
    EmptyCells(10, 14, 20, 20);
    ClickCell(10, 20);
    Main.MouseMove(14 * CellSize + 8, 20 * CellSize + 8, ssLeft); // the last play's stroke
    Main.Leave();
    Title.Enter();
    Title.MouseDown(12 * CellSize + 8, 30 * CellSize + 8, mbLeft, ssLeft);
    Main.Enter();
    EmptyCells(12, 12, 20, 30);
    const std::vector<TCellType> before = CellTypes();
    Main.MouseMove(12 * CellSize + 8, 30 * CellSize + 8, ssLeft);
    Main.MouseMove(12 * CellSize + 8, 20 * CellSize + 8, ssLeft); // up column 12, into the last stroke's row
    std::set<std::pair<int, int>> changed;
    for (int column = 0; column < MapColumns; ++column)
        for (int row = 0; row < MapRows; ++row)
            if (CellAt(column, row) != before[static_cast<std::size_t>(column * MapRows + row)])
                changed.insert({column, row});
    std::set<std::pair<int, int>> underMotion;
    for (int row = 20; row <= 30; ++row)
        underMotion.insert({12, row});
    EXPECT_EQ(changed, underMotion);
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

TEST_F(GameStateTest, OneFastMoveAcrossTwentyCellsEditsEveryCellOnTheWay) {
    EmptyCells(10, 30, 20, 21);
    Main.MouseDown(10 * CellSize + 8, 20 * CellSize + 8, mbLeft, ssLeft);
    Main.MouseMove(29 * CellSize + 8, 20 * CellSize + 8, ssLeft); // one event, nineteen cells on
    for (int column = 10; column < 30; ++column)
        EXPECT_EQ(CellAt(column, 20), ctBlock) << column;
    EXPECT_EQ(CellAt(30, 20), ctEmpty);
    Main.MouseMove(10 * CellSize + 8, 21 * CellSize + 8, ssLeft); // back along the row below
    for (int column = 10; column < 30; ++column)
        EXPECT_EQ(CellAt(column, 20), ctBlock) << "a stroke edits a cell once: " << column;
}

TEST_F(GameStateTest, NoLineJoinsTheStrokeAcrossWhereThePointerLeftTheWindow) {
    EmptyCells(10, 30, 40, 40);
    Main.MouseDown(10 * CellSize + 8, 40 * CellSize + 8, mbLeft, ssLeft);
    Main.MouseLeave();
    Main.MouseMove(20 * CellSize + 8, 40 * CellSize + 8, ssLeft); // back in, ten cells away
    for (int column = 11; column < 20; ++column)
        EXPECT_EQ(CellAt(column, 40), ctEmpty) << column;
    EXPECT_EQ(CellAt(20, 40), ctBlock) << "the stroke goes on where the pointer came back";
    Main.MouseMove(22 * CellSize + 8, 40 * CellSize + 8, ssLeft);
    EXPECT_EQ(CellAt(21, 40), ctBlock) << "and draws its lines again";
    Main.MouseMove(300, 900, ssLeft); // off the map: a break, like leaving
    Main.MouseMove(30 * CellSize + 8, 40 * CellSize + 8, ssLeft);
    EXPECT_EQ(CellAt(26, 40), ctEmpty);
}

TEST_F(GameStateTest, UndoGivesBackEveryCellOfTheLastStrokeAndOnlyThose) {
    EmptyCells(10, 15, 20, 20);
    Box.SetCell(13, 20, TMapCell{ctWall}); // stays a wall in the stroke
    Box.SetCell(12, 23, TMapCell{ctSource});
    const std::vector<TCellType> untouched = CellTypes();
    Main.MouseDown(10 * CellSize + 8, 20 * CellSize + 8, mbLeft, ssLeft);
    Main.MouseMove(15 * CellSize + 8, 20 * CellSize + 8, ssLeft);
    const std::vector<TCellType> afterFirst = CellTypes();
    SetKey(OutletKey, true);
    ClickCell(12, 20); // a block becomes an outlet
    Main.MouseMove(12 * CellSize + 8, 25 * CellSize + 8, ssLeft);
    SetKey(OutletKey, false);
    ClickCell(44, 2, ssLeft | ssCtrl);
    ClickCell(44, 2, ssLeft | ssCtrl); // a stroke that changes a cell back is a stroke of its own
    EXPECT_EQ(Main.History().StrokeCount(), 4);
    SetKey(VK_CONTROL, true);
    const TCellType wall = CellAt(44, 2);
    Main.KeyDown(UndoKey);
    EXPECT_NE(CellAt(44, 2), wall);
    Main.KeyDown(UndoKey);
    EXPECT_EQ(CellAt(44, 2), untouched[44 * MapRows + 2]);
    Main.KeyDown(UndoKey);
    EXPECT_EQ(CellTypes(), afterFirst) << "the outlets went back to blocks and empty cells";
    Main.KeyDown(UndoKey);
    EXPECT_EQ(CellTypes(), untouched);
    Main.KeyDown(UndoKey);
    EXPECT_EQ(CellTypes(), untouched) << "nothing left to take back";
    SetKey(VK_CONTROL, false);
    EmptyCells(3, 3, 3, 3);
    ClickCell(3, 3);
    Main.KeyDown(UndoKey);
    EXPECT_EQ(CellAt(3, 3), ctBlock) << "Z without Ctrl takes nothing back";
}

TEST_F(GameStateTest, ARestartOrAReloadEmptiesTheHistory) {
    EmptyCells(3, 4, 3, 3);
    Box.SetCell(33, 3, TMapCell{ctWall});
    ClickCell(3, 3);
    ClickCell(4, 3);
    ClickCell(33, 3); // a wall: no block toggles on it without Ctrl
    EXPECT_EQ(Main.History().StrokeCount(), 2) << "a stroke that changes nothing is no stroke";
    Main.StageReloaded();
    EXPECT_EQ(Main.History().StrokeCount(), 0);
    ClickCell(3, 3);
    Main.Enter();
    EXPECT_EQ(Main.History().StrokeCount(), 0);
}

TEST_F(GameStateTest, PauseStopsTheWaterWhileEditingAndUndoGoOn) {
    Main.Enter();
    Main.Update();
    Main.KeyDown(PauseKey);
    EXPECT_TRUE(Main.Paused());
    EmptyCells(3, 3, 3, 3);
    const std::int32_t frame = Box.StateTimer(), active = Box.ActiveParticleCount();
    for (int i = 0; i < 10; ++i)
        Main.Update();
    EXPECT_EQ(Box.StateTimer(), frame) << "no timed frame of the box while paused";
    EXPECT_EQ(Box.ActiveParticleCount(), active);
    ClickCell(3, 3);
    EXPECT_EQ(CellAt(3, 3), ctBlock);
    SetKey(VK_CONTROL, true);
    Main.KeyDown(UndoKey);
    EXPECT_EQ(CellAt(3, 3), ctEmpty);
    Main.KeyDown(PauseKey);
    Main.Update();
    EXPECT_EQ(Box.StateTimer(), frame + 1) << "P again lets the water go";
    Main.KeyDown(PauseKey);
    Main.Enter();
    EXPECT_FALSE(Main.Paused()) << "a new play runs";
}

TEST_F(GameStateTest, AStrokeClicksOnceAndTheWaterLeavingAndTheOutcomeSound) {
    Main.Enter();
    EmptyCells(10, 15, 20, 20);
    Box.SetCell(33, 3, TMapCell{ctWall});
    Main.MouseDown(10 * CellSize + 8, 20 * CellSize + 8, mbLeft, ssLeft);
    Main.MouseMove(15 * CellSize + 8, 20 * CellSize + 8, ssLeft);
    EXPECT_EQ(Sound.Item(StrokeSound).RequestCount, 1) << "one click for a stroke of six cells";
    EXPECT_LT(Sound.Item(StrokeSound).Requests[0].Pan, 0) << "left of the middle";
    ClickCell(33, 3); // a wall: no change, no click
    EXPECT_EQ(Sound.Item(StrokeSound).RequestCount, 1);

    TBoxSetup(Box).Parameters().BlueWaterNumForClear = 1;
    for (int frame = 0; frame < 2000 && Box.State() == bsPlaying; ++frame) {
        const std::int32_t blue = Box.BlueOutCount(), etc = Box.EtcOutCount();
        Main.Update();
        EXPECT_EQ(Sound.Item(BlueDropSound).RequestCount, Box.BlueOutCount() > blue ? 1 : 0);
        EXPECT_EQ(Sound.Item(EtcDropSound).RequestCount, Box.EtcOutCount() > etc ? 1 : 0);
        EXPECT_EQ(Sound.Item(ClearSound).RequestCount, Box.State() == bsCleared ? 1 : 0);
        EXPECT_EQ(Sound.Item(GameOverSound).RequestCount, 0);
        Sound.Update();
    }
    EXPECT_EQ(Box.State(), bsCleared);
}

TEST_F(GameStateTest, TheEffectsOfAPlayAreLoadedFromTheirFiles) {
    LoadGameSounds(Sound);
    for (const TSoundEffectID id : {StrokeSound, BlueDropSound, EtcDropSound, ClearSound, GameOverSound}) {
        ASSERT_NE(Sound.Item(id).Source, nullptr) << SoundEffectNames[id];
        EXPECT_GT(Sound.Item(id).Source->Stream->GetSize(), 0) << SoundEffectNames[id];
        EXPECT_EQ(Sound.Item(id).Volume, 1.0);
    }
    EXPECT_EQ(Sound.Item(BlueDropSound).CooldownFrames, 6) << "ten drops a second at 60 frames a second";
    EXPECT_EQ(Sound.Item(ClearSound).CooldownFrames, 0);
}

TEST_F(GameStateTest, TheArrowKeysAndTheWheelChooseTheStageOnTheTitle) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(testing::TempDir()) / "title_stages";
    fs::remove_all(root);
    fs::create_directories(root / "shipped");
    for (const char* name : {"0001", "0002", "0003"})
        fs::copy("stages/0001", root / "shipped" / name, fs::copy_options::recursive);
    std::ofstream(root / "shipped" / "course.txt") << "chapter One\n0001\n0002\n0003\n";
    TStagePlays plays(Box, TStageList((root / "shipped").string(), (root / "user").string()),
                      (root / "progress.ini").string(), (root / "replays").string() + "/");
    TTitleState title{App, nullptr, WaitTimer, Music, Box, &plays};
    title.Enter();
    std::vector<std::size_t> chosen;
    const auto choose = [&](auto input) {
        input();
        chosen.push_back(plays.ChosenIndex());
    };
    choose([&] { title.KeyDown(VK_RIGHT); });
    choose([&] { title.MouseWheel(-1); }); // turned towards the user: on
    choose([&] { title.MouseWheel(-1); }); // past the last: stays
    choose([&] { title.MouseWheel(2); });  // away: back
    choose([&] { title.KeyDown(VK_LEFT); });
    choose([&] { title.KeyDown('A'); });
    EXPECT_EQ(chosen, (std::vector<std::size_t>{1, 2, 2, 0, 0, 0}));
    fs::remove_all(root);
}

TEST_F(GameStateTest, TheTitleNamesTheStageByItsPlaceAndItsResultsInSecondsWithStars) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(testing::TempDir()) / "title_lines";
    fs::remove_all(root);
    fs::create_directories(root / "shipped");
    for (const char* name : {"0001", "0002"})
        fs::copy("stages/0001", root / "shipped" / name, fs::copy_options::recursive);
    std::ofstream(root / "shipped" / "course.txt") << "chapter One\n0002\n0001\n";
    std::ofstream(root / "progress.ini") << "[0002]\nCleared = 1\nBestCells = 9\nBestFrames = 421\n";
    TStagePlays plays(Box, TStageList((root / "shipped").string(), ""), (root / "progress.ini").string(),
                      (root / "replays").string() + "/");
    TTitleState title{App, nullptr, WaitTimer, Music, Box, &plays};
    title.Enter();
    EXPECT_EQ(plays.Chosen().Name, "0001") << "the first stage not cleared";
    EXPECT_EQ(title.ChoiceLine().rfind("<  Stage 2 of 2: ", 0), 0u) << title.ChoiceLine();
    EXPECT_EQ(title.BestLine(), "Not cleared yet  Par 4 cells, 42.0 s");
    EXPECT_EQ(title.ChoiceStars(), 0);
    title.KeyDown(VK_LEFT);
    EXPECT_EQ(title.ChoiceLine().rfind("<  Stage 1 of 2: ", 0), 0u) << "the place, never the folder";
    EXPECT_EQ(title.BestLine(), "Best 9 cells, 7.1 s  (Par 4 cells, 42.0 s)");
    EXPECT_EQ(title.ChoiceStars(), 2) << "a best from before the stars: within the par's time";
    EXPECT_EQ(title.LastPlayLine(), "") << "no play has ended";
    fs::remove_all(root);
}

// The hold's countdown from the frame that cleared the stage (timer 1) to
// the frame before Finished (timer 360): whole seconds, rounded up.
TEST(HoldCountdown, CountsTheWholeSecondsLeftRoundedUp) {
    const struct {
        std::int32_t StateTimer, Seconds;
    } rows[] = {{1, 6}, {60, 6}, {61, 5}, {120, 5}, {121, 4}, {300, 2}, {301, 1}, {360, 1}};
    for (const auto& row : rows)
        EXPECT_EQ(HoldSecondsLeft(row.StateTimer), row.Seconds) << "timer " << row.StateTimer;
}

TEST(HoldCountdown, NamesTheRedWaterOnlyWhereThePoolHoldsIt) {
    EXPECT_EQ(HoldLine(4, true).View(), "Cleared! Keep the red water out: 4 s");
    EXPECT_EQ(HoldLine(4, false).View(), "Cleared! The clear is kept in 4 s");
}
