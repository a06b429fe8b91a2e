// The editor's screen without a display: what the keys, the letters typed
// and the mouse do to the stage being made, and what it asks of the game
// around it (a test play, a proof, a publication).

#include "HeadlessScreen.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/core/Utf8TextUnit.h"
#include "game/core/WaitTimerUnit.h"
#include "game/states/EditorStateUnit.h"
#include "game/states/MainGameStateUnit.h"
#include "game/states/TitleStateUnit.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

class NoteSwitches : public TStateSwitch {
public:
    void ChangeToTitle() override { Calls.push_back("title"); }
    void ChangeToMain() override { Calls.push_back("main"); }
    void ChangeToEditor() override { Calls.push_back("editor"); }
    void Invalidate() override {}
    std::vector<std::string> Calls;
};

class FakeHost : public TEditorHost {
public:
    void StartTestPlay(const TStageDraft& stage) override { Played.push_back(stage); }
    std::optional<TStageProof> TakeTestProof() override { return std::exchange(Proof, std::nullopt); }
    bool LoadChosenStage(std::string&, std::string&) override { return false; }
    void Publish(const TStageDraft& stage, const TStageProof&) override { Published.push_back(stage); }
    std::string PublishFolder() const override { return "/shared/"; }
    void ShowNotice(const std::string& text) override { Notices.push_back(text); }

    std::vector<TStageDraft> Played, Published;
    std::vector<std::string> Notices;
    std::optional<TStageProof> Proof;
};

void SetKey(int key, bool down) {
    PostMessage(nullptr, down ? WM_KEYDOWN : WM_KEYUP, static_cast<std::uintptr_t>(key), 0);
    DrainMessages();
}

int CellCentre(int cell) {
    return cell * CellSize + CellSize / 2;
}

class EditorStateTest : public testing::Test {
protected:
    void SetUp() override { UseTestScreen(); }
    void TearDown() override { SetKey(VK_CONTROL, false); }

    // A key as a person types it: the key, then the letter it gives.
    void Type(std::uint16_t key, char32_t letter) {
        Editor.KeyDown(key);
        Editor.CharInput(letter);
    }
    void Drag(TMouseButtonCode button, TCellPos from, TCellPos to) {
        const TShiftFlags held = button == mbLeft ? ssLeft : ssRight;
        Editor.MouseDown(CellCentre(from.Column), CellCentre(from.Row), button, held);
        Editor.MouseMove(CellCentre(to.Column), CellCentre(to.Row), held);
        Editor.MouseUp(CellCentre(to.Column), CellCentre(to.Row), button, 0);
    }
    const TStageDraft& Draft() const { return Editor.Editor().Draft(); }

    TGameProfiler Profiler;
    TVaporelBox Box{Profiler};
    TWaitTimer WaitTimer;
    NoteSwitches App;
    TSoundManager Sound{[](AudioRenderer&) -> std::unique_ptr<AudioOutput> { throw AudioError("none"); }};
    TBGMManager Music{Sound};
    FakeHost Host;
    TEditorState Editor{App, nullptr, WaitTimer, Music, Box, Host};
};

} // namespace

TEST_F(EditorStateTest, EOnTheTitleOpensTheEditorAndEscapeThereGoesBack) {
    TTitleState title{App, nullptr, WaitTimer, Music, Box};
    title.KeyDown(EditorKey);
    Editor.KeyDown(VK_ESCAPE);
    EXPECT_EQ(App.Calls, (std::vector<std::string>{"editor", "title"}));
}

// The key that starts the text does not type its own letter into it; a
// letter of three bytes goes back as one.
TEST_F(EditorStateTest, TheNameIsTypedInAnyLanguageAndKeptWithEnter) {
    Type(NameKey, U'n');
    EXPECT_TRUE(Editor.TakesText());
    Type('R', U'R');
    Editor.KeyDown(0);
    Editor.CharInput(U'雨');
    Editor.CharInput(U'x');
    Editor.KeyDown(VK_BACK);
    EXPECT_EQ(Editor.TypedText(), "R雨");
    Editor.KeyDown(VK_ESCAPE); // drops the text, stays in the editor
    EXPECT_TRUE(Draft().Name().empty());
    EXPECT_TRUE(App.Calls.empty());
    Type(NameKey, U'n');
    for (std::size_t i = 0; i < MaxStageNameLetters + 5; ++i)
        Editor.CharInput(U'é');
    Editor.KeyDown(VK_RETURN);
    EXPECT_FALSE(Editor.TakesText());
    EXPECT_EQ(Utf8LetterCount(Draft().Name()), MaxStageNameLetters);
}

TEST_F(EditorStateTest, StrokesPaintTheToolAndARightStrokeEmpties) {
    Editor.KeyDown('4');
    EXPECT_EQ(Editor.Tool(), ctDrain);
    Drag(mbLeft, {10, 20}, {20, 20});
    for (std::int32_t column = 10; column <= 20; ++column)
        ASSERT_EQ(Draft().Cell({column, 20}), ctDrain) << column;
    EXPECT_EQ(Editor.Editor().History().UndoSteps(), 1);
    Drag(mbRight, {15, 20}, {15, 20});
    EXPECT_EQ(Draft().Cell({15, 20}), ctEmpty);
    EXPECT_EQ(Editor.Editor().History().UndoSteps(), 2);
}

TEST_F(EditorStateTest, FillModePaintsTheDraggedRectangleAsOneStep) {
    Editor.KeyDown('2');
    Editor.KeyDown(FillKey);
    Drag(mbLeft, {12, 12}, {10, 14});
    for (std::int32_t column = 9; column <= 13; ++column)
        for (std::int32_t row = 11; row <= 15; ++row) {
            const bool inside = column >= 10 && column <= 12 && row >= 12 && row <= 14;
            ASSERT_EQ(Draft().Cell({column, row}), inside ? ctWall : ctEmpty) << column << "," << row;
        }
    SetKey(VK_CONTROL, true);
    Editor.KeyDown(UndoKey);
    EXPECT_EQ(Draft().Cell({11, 13}), ctEmpty);
    Editor.KeyDown(RedoKey);
    EXPECT_EQ(Draft().Cell({11, 13}), ctWall);
}

TEST_F(EditorStateTest, NumbersStepWithinTheirRange) {
    Editor.KeyDown(VK_DOWN); // the blue water
    EXPECT_EQ(Editor.ChosenNumber(), snBlue);
    Editor.KeyDown(VK_END);
    EXPECT_EQ(Draft().Number(snBlue), Draft().Number(snPool));
    Editor.KeyDown(VK_RIGHT);
    EXPECT_EQ(Draft().Number(snBlue), Draft().Number(snPool));
    Editor.KeyDown(VK_LEFT);
    EXPECT_EQ(Draft().Number(snBlue), Draft().Number(snPool) - StageNumberKinds[snBlue].Step);
}

// Only a kept clear of the stage as it is proves it, and only a proved stage
// with a name and a hint is published.
TEST_F(EditorStateTest, AKeptTestPlayProvesTheStageThatPublishes) {
    Editor.KeyDown(PublishKey);
    EXPECT_EQ(Host.Notices.size(), 1u);
    Editor.KeyDown(VK_F5);
    ASSERT_EQ(Host.Played.size(), 1u);
    TStageDraft other = Draft();
    other.SetCell({30, 30}, ctBlock);
    Host.Proof = TStageProof{other, TReplay{}, 100};
    Editor.Enter();
    EXPECT_EQ(Editor.Editor().ProofState(), psNone);
    Host.Proof = TStageProof{Host.Played[0], TReplay{}, 100};
    Editor.Enter();
    EXPECT_EQ(Editor.Editor().ProofState(), psProved);
    Editor.KeyDown(PublishKey); // no name and no hint yet
    EXPECT_EQ(Host.Notices.size(), 2u);
    EXPECT_TRUE(Host.Published.empty());
    Type(NameKey, U'n');
    Editor.CharInput(U'A');
    Editor.KeyDown(VK_RETURN);
    Type(HintKey, U'h');
    Editor.CharInput(U'B');
    Editor.KeyDown(VK_RETURN);
    Editor.KeyDown(PublishKey);
    ASSERT_EQ(Host.Published.size(), 1u);
    EXPECT_EQ(Host.Published[0].Name(), "A");
    Drag(mbLeft, {30, 30}, {30, 30});
    EXPECT_EQ(Editor.Editor().ProofState(), psVoided);
}
