#include "game/states/TitleStateUnit.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/core/PlayerTextUnit.h"
#include "game/render/GameRendererUnit.h"
#include "game/stages/StagePlaysUnit.h"
#include "game/states/GuideUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/OpenGLBinding.h"
#include "platform/WindowMessages.h"

namespace {
constexpr double PromptX = 512; // centre of the click prompt, pixels
constexpr double PromptY = 640;
constexpr double TitleZ = 0;
constexpr double ChoiceTextZ = 1; // in front of the picture and the bands
// The stage select: a dark band above the prompt and one below it, inside
// y = 575..700, so the picture above stays the picture alone.
constexpr double UpperBandTop = 575, UpperBandBottom = 605;
constexpr double LowerBandTop = 674, LowerBandBottom = 700;
constexpr double BandOpacity = 0.6;
constexpr double TextLeft = 24;  // pixels
constexpr double BestLeft = 640; // the best result's column
constexpr double TextInset = 6;  // from a band's top to its text
} // namespace

void TTitleState::Enter() {
    Frames_ = 0;
    UpdateChoiceLines();
    BGMManager.FadeOutVolume(); // to silence over two seconds
}

void TTitleState::Update() {
    const bool promptWasVisible = PromptVisible();
    ++Frames_;
    if (PromptVisible() != promptWasVisible)
        App.Invalidate();
}

void TTitleState::Draw() {
    if (!Renderer)
        return;
    Renderer->DrawTexture(tidTitle, false, 0, 0, TitleZ);
    if (PromptVisible())
        Renderer->DrawTexture(tidTitleClick, true, PromptX, PromptY, TitleZ);
    DrawStageChoice();
    DrawTitleHint(*Renderer);
}

void TTitleState::MouseDown(int, int, TMouseButtonCode button, TShiftFlags) {
    if (button == mbLeft)
        App.ChangeToMain();
}

void TTitleState::KeyDown(std::uint16_t key) {
    if (Plays && (key == platform::VK_LEFT || key == platform::VK_RIGHT)) {
        Plays->Choose(key == platform::VK_LEFT ? -1 : 1);
        UpdateChoiceLines();
        App.Invalidate();
    }
}

// Turning the wheel away goes back, towards the user goes on.
void TTitleState::MouseWheel(int notches) {
    if (Plays) {
        Plays->Choose(-notches);
        UpdateChoiceLines();
        App.Invalidate();
    }
}

// A shipped stage's name and hint are English, and translated like the
// program's texts; a player's own stage keeps the words its maker wrote.
std::string TTitleState::StageLine(const TStageInfo& stage, std::size_t index, std::size_t count) {
    const int number = static_cast<int>(index + 1), stages = static_cast<int>(count);
    if (stage.Title.empty())
        return PlayerFormat(TextId("<  Stage %s  (%d of %d)  >"), stage.Name.c_str(), number, stages);
    const std::string title(PlayerText(stage.Title));
    return PlayerFormat(TextId("<  Stage %s: %s  (%d of %d)  >"), stage.Name.c_str(), title.c_str(), number,
                        stages);
}

std::string TTitleState::BestText() const {
    const std::string& name = Plays->Chosen().Name;
    const std::optional<TStageResult> best = Plays->Progress().Best(name);
    if (best)
        return PlayerFormat(TextId("Best: %d cells, %d frames"), best->Cells, best->Frames);
    return std::string(
        PlayerText(Plays->Progress().IsCleared(name) ? TextId("Cleared") : TextId("Not cleared yet")));
}

void TTitleState::UpdateChoiceLines() {
    if (!Plays)
        return;
    const TStageInfo& stage = Plays->Chosen();
    ChoiceLine = StageLine(stage, Plays->ChosenIndex(), Plays->Stages().Stages().size());
    BestLine = BestText();
    HintLine = PlayerText(stage.Hint.empty() ? TextId("Left, Right or the wheel: another stage")
                                             : std::string_view(stage.Hint));
}

void TTitleState::DrawStageChoice() const {
    if (!Plays)
        return;
    using platform::GL;
    GL().Color4f(0, 0, 0, static_cast<float>(BandOpacity));
    Renderer->SetBlendNormal();
    Renderer->DrawRect(true, 0, UpperBandTop, FieldWidth, UpperBandBottom, TitleZ);
    Renderer->DrawRect(true, 0, LowerBandTop, FieldWidth, LowerBandBottom, TitleZ);
    Renderer->SetBlendNone();
    GL().Color3f(1, 1, 1);
    Renderer->DrawText(ChoiceLine, TextLeft, UpperBandTop + TextInset, ChoiceTextZ);
    Renderer->DrawText(BestLine, BestLeft, UpperBandTop + TextInset, ChoiceTextZ);
    Renderer->DrawText(HintLine, TextLeft, LowerBandTop + TextInset, ChoiceTextZ);
    GL().Color4f(1, 1, 1, 1);
}
