#include "game/states/TitleStateUnit.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/render/GameRendererUnit.h"
#include "game/stages/StagePlaysUnit.h"
#include "game/stages/StarsUnit.h"
#include "game/states/GuideUnit.h"
#include "game/states/OutcomeUnit.h"
#include "game/texts/PlayerTextsUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/OpenGLBinding.h"
#include "platform/WindowMessages.h"

#include <cstdio>

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
constexpr double TextLeft = 24;   // pixels
constexpr double StarsLeft = 590; // the stars, then the best result
constexpr double StarSize = 16;
constexpr double StarsGap = 12; // between the stars and the text after them
constexpr double TextInset = 6; // from a band's top to its text
// The last play's line: a band at the top of the picture, over the empty sky.
constexpr double LastPlayTop = 8, LastPlayBottom = 38;

// The texts of the stage select, in English: each is shown in the player's language.
constexpr std::string_view CourseStageFormat = TextId("Stage %zu of %zu");
constexpr std::string_view OwnStageFormat = TextId("Your stage %llu");
constexpr std::string_view BestFormat = TextId("Best %d cells, %s");
constexpr std::string_view ParFormat = TextId("Par %d cells, %s");
constexpr std::string_view NotClearedText = TextId("Not cleared yet");
constexpr std::string_view ClearedText = TextId("Cleared");
constexpr std::string_view ChooseHint = TextId("Left, Right or the wheel: another stage");

std::string ParText(const TStagePar& par) {
    return PlayerFormat(ParFormat, par.Cells, SecondsText(par.Frames).c_str());
}
} // namespace

void TTitleState::Enter() {
    Frames_ = 0;
    UpdateChoiceLines();
    UpdateLastPlayLine();
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
    DrawLastPlay();
    DrawTitleHint(*Renderer);
}

void TTitleState::MouseDown(int, int, TMouseButtonCode button, TShiftFlags) {
    if (button == mbLeft)
        App.ChangeToMain();
}

void TTitleState::KeyDown(std::uint16_t key) {
    if (key == EditorKey)
        return App.ChangeToEditor();
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

// The place in the course, never the folder's name; a player's own stage by its number.
// A shipped stage's name and hint are English, and translated like the
// program's texts; a player's own stage keeps the words its maker wrote.
std::string TTitleState::StageLine(const TStageInfo& stage) const {
    std::string line = "<  ";
    if (stage.IsUser)
        line += PlayerFormat(OwnStageFormat,
                             static_cast<unsigned long long>(UserStageNumber(stage.Name).value_or(0)));
    else
        line += PlayerFormat(CourseStageFormat, stage.Place, Plays->Stages().CourseSize());
    if (!stage.Title.empty())
        line += ": " + std::string(PlayerText(stage.Title));
    return line + "  >";
}

std::string TTitleState::BestText(const TStageInfo& stage) const {
    const std::optional<TStageResult> best = Plays->Progress().Best(stage.Name);
    std::string text =
        best
            ? PlayerFormat(BestFormat, best->Cells, SecondsText(best->Frames).c_str())
            : std::string(PlayerText(Plays->Progress().IsCleared(stage.Name) ? ClearedText : NotClearedText));
    if (stage.Par)
        text += best ? "  (" + ParText(*stage.Par) + ")" : "  " + ParText(*stage.Par);
    return text;
}

void TTitleState::UpdateChoiceLines() {
    if (!Plays)
        return;
    const TStageInfo& stage = Plays->Chosen();
    ChoiceLine_ = StageLine(stage);
    BestLine_ = BestText(stage);
    ChoiceStars_ = KeptStars(Plays->Progress(), stage);
    HintLine_ = PlayerText(stage.Hint.empty() ? ChooseHint : std::string_view(stage.Hint));
}

void TTitleState::UpdateLastPlayLine() {
    LastPlayLine_.clear();
    LastPlayStars_ = 0;
    if (!Plays)
        return;
    const std::optional<std::size_t> played = Plays->Stages().IndexOf(Plays->PlayedStageName());
    if (Plays->LastOutcome() == poKept) {
        LastPlayLine_ =
            KeptLine(played ? Plays->Stages().Stages()[*played].Place : 0, Plays->LastStars()).View();
        LastPlayStars_ = Plays->LastStars();
    } else if (Plays->CanRetry())
        LastPlayLine_ = PlayerText(LostTitleText);
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
    Renderer->DrawText(ChoiceLine_, TextLeft, UpperBandTop + TextInset, ChoiceTextZ);
    Renderer->DrawText(HintLine_, TextLeft, LowerBandTop + TextInset, ChoiceTextZ);
    const double starsRight = DrawStars(*Renderer, StarsLeft, (UpperBandTop + UpperBandBottom) / 2, StarSize,
                                        ChoiceStars_, ChoiceTextZ);
    GL().Color3f(1, 1, 1);
    Renderer->DrawText(BestLine_, starsRight + StarsGap, UpperBandTop + TextInset, ChoiceTextZ);
    GL().Color4f(1, 1, 1, 1);
}

void TTitleState::DrawLastPlay() const {
    if (LastPlayLine_.empty())
        return;
    using platform::GL;
    GL().Color4f(0, 0, 0, static_cast<float>(BandOpacity));
    Renderer->SetBlendNormal();
    Renderer->DrawRect(true, 0, LastPlayTop, FieldWidth, LastPlayBottom, TitleZ);
    Renderer->SetBlendNone();
    GL().Color3f(1, 1, 1);
    Renderer->DrawText(LastPlayLine_, TextLeft, LastPlayTop + TextInset, ChoiceTextZ);
    if (LastPlayStars_ > 0)
        DrawStars(*Renderer, TextLeft + Renderer->TextWidth(LastPlayLine_) + StarsGap,
                  (LastPlayTop + LastPlayBottom) / 2, StarSize, LastPlayStars_, ChoiceTextZ);
    GL().Color4f(1, 1, 1, 1);
}
