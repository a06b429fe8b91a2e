#include "game/app/GameUnit.h"
#include "game/stages/StageListUnit.h"
#include "lib/Z5EasyXMLUnit.h"
#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/WindowSystemSdl.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

using namespace platform;

namespace {

std::string ReadFile(const std::string& fileName) {
    std::ifstream file(fileName);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& fileName, const std::string& text) {
    std::ofstream(fileName, std::ios::binary) << text;
}

// The pool of the stage the game loads while it starts, whatever the course's
// first stage is (another one, with a pool smaller than a pour).
std::int32_t StartPoolSize() {
    TZ5EasyXMLReader data;
    data.LoadFromFile(StartUpStageFolder() + "data.xml");
    data.Enter("stage");
    return data.GetValue("water_particle_num").ToInteger();
}

// The game application on the headless screen: it runs the frames given,
// presses the keys given, then closes its window as the close box would.
class ScriptedGame : public TGameApp {
public:
    std::vector<std::uint16_t> Keys;
    int FramesToRun = 3;
    int IdleCalls = 0;
    std::optional<bool> MixerMuted;    // as the mixer had it at the last frame
    std::string FolderToRemoveAtStart; // after the stage list was read

protected:
    void OnCreateWindow() override {
        TGameApp::OnCreateWindow();
        if (!FolderToRemoveAtStart.empty())
            std::filesystem::remove_all(FolderToRemoveAtStart);
        for (const std::uint16_t key : Keys)
            PostMessage(Handle(), WM_KEYDOWN, key, 0);
        PostMessage(Handle(), WM_ACTIVATEAPP, 1, 0);
    }
    void Idle() override {
        if (const TSoundMixer* mixer = Sound().Device().Mixer())
            MixerMuted = mixer->IsMuted();
        ++IdleCalls;
        TGameApp::Idle();
        if (FrameCount() == FramesToRun)
            PostMessage(Handle(), WM_CLOSE, 0, 0);
    }
};

class GameAppTest : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        std::filesystem::remove_all(OptionsFile);
        std::filesystem::remove_all(OptionsFile + ".new");
    }
    const std::string OptionsFile = ChangeFileExt(ExeName, ".ini");
};

} // namespace

TEST_F(GameAppTest, WithoutAFileTheGameStartsWindowedAndWritesTheKeys) {
    {
        ScriptedGame game;
        EXPECT_FALSE(game.StartFullScreen);
        EXPECT_FALSE(game.VisibleDebugMessage());
        EXPECT_FALSE(game.IsMuted());
        EXPECT_EQ(game.Title, "The Vaporel Vovor of ZANK (ver 1.0.0)");
        EXPECT_EQ(game.Width, 1024);
        EXPECT_EQ(game.Height, 768);
        game.Run();
        EXPECT_EQ(game.FrameCount(), 3);
    }
    EXPECT_EQ(ReadFile(OptionsFile), "[options]\nIsFullScreen = 0\nVisibleDebugMessage = 0\nIsMuted = 0\n");
}

TEST_F(GameAppTest, TheModeAtExitIsSavedAndOtherSectionsAreKept) {
    WriteFile(OptionsFile, "; player notes\n[sound]\nvolume = 7\n\n[options]\nVisibleDebugMessage=0x1\n");
    {
        ScriptedGame game;
        EXPECT_TRUE(game.VisibleDebugMessage()) << "hexadecimal reads as a number";
        game.Keys = {VK_F4, VK_F2, 'M'};
        game.Run();
    }
    const std::string saved = ReadFile(OptionsFile);
    EXPECT_NE(saved.find("; player notes"), std::string::npos) << saved;
    EXPECT_NE(saved.find("volume = 7"), std::string::npos) << saved;
    EXPECT_NE(saved.find("IsFullScreen = 1"), std::string::npos) << saved;
    EXPECT_NE(saved.find("VisibleDebugMessage = 0"), std::string::npos) << saved;
    EXPECT_NE(saved.find("IsMuted = 1"), std::string::npos) << saved;

    ScriptedGame next;
    EXPECT_TRUE(next.StartFullScreen) << "the next start goes straight to full screen";
    EXPECT_TRUE(next.IsMuted()) << "and silent";
}

// The mixer silences the whole output: muted from the options at start, and
// again with every M.
TEST_F(GameAppTest, MuteReachesTheMixer) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const bool pressM : {false, true}) {
        WriteFile(OptionsFile, "[options]\nIsMuted = 1\n");
        ScriptedGame game;
        if (pressM)
            game.Keys = {'M'};
        game.Run();
        ASSERT_TRUE(game.MixerMuted.has_value()) << "the dummy sound device opens";
        EXPECT_EQ(*game.MixerMuted, !pressM) << (pressM ? "M pressed" : "from the options");
    }
    ::unsetenv("SDL_AUDIODRIVER");
}

TEST_F(GameAppTest, AnOptionsFileThatIsNoTextFileStopsTheStart) {
    WriteFile(OptionsFile, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    try {
        ScriptedGame game;
        ADD_FAILURE() << "construction must fail";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(OptionsFile), std::string::npos) << error.what();
    }
    EXPECT_EQ(std::filesystem::file_size(OptionsFile), 16u) << "the file is left as it was";
}

TEST_F(GameAppTest, AnUnwritableOptionsFileRaisesAtExitAndLosesNothing) {
    const std::string newFile = OptionsFile + ".new";
    std::filesystem::create_directory(newFile); // stands where the new file would be written
    ScriptedGame game;
    try {
        game.Run();
        ADD_FAILURE() << "closing must raise";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot write the options file " + OptionsFile),
                  std::string::npos)
            << error.what();
    }
    EXPECT_TRUE(std::filesystem::is_directory(newFile));
    EXPECT_FALSE(IsWindow(game.Handle())) << "the window went all the same";
}

// Timed frames the frame timer may leave undrawn: at most three of every four.
constexpr int SkipCycle = 4;

int PicturesDrawn(const TGameApp& game) {
    return game.GameProfiler().Engine().Item(pidDraw)->Count;
}

TEST_F(GameAppTest, TheTitleIsDrawnAgainOnlyWhenItsPictureChanges) {
    ScriptedGame game;
    game.FramesToRun = 130; // the prompt blinks at frames 30, 60, 90 and 120
    game.Run();
    EXPECT_GE(PicturesDrawn(game), 3) << "the first picture and the prompt's blinking";
    EXPECT_LE(PicturesDrawn(game), 12) << "no picture of the still title is drawn twice";
    // A frame's wait, then the pacing's own last 3 ms in passes of a quarter
    // of one (8 a frame on an idle machine): a loop that never blocked would
    // also pass through the 13 ms before them, two at a time.
    EXPECT_LE(game.IdleCalls, 14 * game.FramesToRun) << "between its frames the still title sleeps through";
}

namespace {

// Moves the pointer over the still title, between two timed frames, and
// watches until the game sees it moved and then three more frames (those the
// timer may leave undrawn): a picture must come although the prompt did not
// blink. A move within three frames of a blink tells nothing: it is made
// again, elsewhere.
class PointerMovingGame : public ScriptedGame {
public:
    PointerMovingGame() { FramesToRun = 600; } // a generous limit: the test ends at its first telling move
    bool Told = false;
    bool Redrawn = false;

protected:
    void Idle() override {
        const std::int32_t frame = FrameCount();
        const bool promptVisible = TitleState()->PromptVisible();
        ScriptedGame::Idle();
        if (FrameCount() == frame)
            return; // no timed frame ran
        if (TitleState()->PromptVisible() != promptVisible)
            LastBlink = frame;
        if (MovedAt < 0 && frame >= FirstMoveFrame)
            MovePointer(frame);
        else if (SeenAt < 0 && GetClientCursorPos() == Target)
            SeenAt = frame; // seen by this frame or, at the latest, the next
        else if (SeenAt >= 0 && frame == SeenAt + 4)
            JudgeMove();
    }

private:
    void MovePointer(std::int32_t frame) {
        Target = GetClientCursorPos() == Point{300, 400} ? Point{600, 200} : Point{300, 400};
        SDL_WarpMouseInWindow(SdlWindowOf(Handle()), Target.X, Target.Y);
        MovedAt = frame;
        DrawnAtMove = PicturesDrawn(*this);
    }
    void JudgeMove() {
        if (LastBlink >= MovedAt - 3) {
            MovedAt = SeenAt = -1;
            return;
        }
        Told = true;
        Redrawn = PicturesDrawn(*this) > DrawnAtMove;
        PostMessage(Handle(), WM_CLOSE, 0, 0);
    }

    static constexpr std::int32_t FirstMoveFrame = 10; // the window shown and painted
    Point Target;
    std::int32_t MovedAt = -1, SeenAt = -1, LastBlink = -1, DrawnAtMove = 0;
};

} // namespace

TEST_F(GameAppTest, TheTitleIsDrawnAgainWhenThePointerMovesSoThatItsCursorFollows) {
    PointerMovingGame game;
    game.Run();
    ASSERT_TRUE(game.Told) << "no move of the pointer away from the prompt's blinking was seen";
    EXPECT_TRUE(game.Redrawn);
}

TEST_F(GameAppTest, TheGameIsDrawnInEveryTimedFrameTheTimerLetsDraw) {
    ScriptedGame game;
    game.Keys = {VK_F5}; // into the game at once
    game.FramesToRun = 60;
    game.Run();
    EXPECT_GE(PicturesDrawn(game), game.FramesToRun / SkipCycle) << "the water moves in every frame";
}

TEST_F(GameAppTest, DebugTextsRefreshEverySixtyFramesAndReachTheLogAtExit) {
    ScriptedGame game;
    game.Keys = {'R', 'Q'}; // the pool exists once the water is reset
    game.FramesToRun = 61;
    game.Run();
    EXPECT_EQ(game.CollisionText().rfind("Collision ", 0), 0u) << game.CollisionText();
    const std::string poured = "ParticleNum " + std::to_string(std::min(PourCount, StartPoolSize()));
    EXPECT_EQ(game.ParticleNumText(), poured)
        << "Q filled the emptied pool before frame 61 refreshed the text";
    std::ifstream log(Log().FileName());
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(": " + poured + "\r\n"), std::string::npos) << "the last texts are logged at exit";
    EXPECT_NE(text.find("pidBoxExecute"), std::string::npos) << "followed by the profile report";
}

TEST_F(GameAppTest, AStageRemovedAfterTheListWasReadCostsThePlayNotTheGame) {
    const std::string dataHome = testing::TempDir() + "vaporel_data_home";
    const std::string userStage = dataHome + "/vaporel/stages/user-0001";
    std::filesystem::remove_all(dataHome);
    std::filesystem::create_directories(userStage);
    std::filesystem::copy("stages/0001", userStage, std::filesystem::copy_options::recursive);
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);

    ScriptedGame game;
    game.FolderToRemoveAtStart = userStage;
    const std::size_t shipped = TStageList(ShippedStagesFolder(), "").Stages().size();
    game.Keys = std::vector<std::uint16_t>(shipped, VK_RIGHT); // the user stage, after the shipped ones
    game.Keys.push_back(VK_F5);
    game.FramesToRun = 5;
    EXPECT_NO_THROW(game.Run());
    unsetenv("XDG_DATA_HOME");

    EXPECT_EQ(game.CurrentState(), game.TitleState()) << "the player stays on the title";
    const std::string log = ReadFile(Log().FileName());
    EXPECT_NE(log.find("Error! cannot open " + userStage + "/Map.png"), std::string::npos) << log;
    std::filesystem::remove_all(dataHome);
}
