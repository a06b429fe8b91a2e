#include "game/states/TitleStateUnit.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/render/GameRendererUnit.h"
#include "game/states/GuideUnit.h"

namespace {
constexpr double PromptX = 512; // centre of the click prompt, pixels
constexpr double PromptY = 640;
constexpr double TitleZ = 0;
} // namespace

void TTitleState::Enter() {
    Frames_ = 0;
    BGMManager.FadeOutVolume(); // to silence over two seconds
}

void TTitleState::Update() {
    ++Frames_;
}

void TTitleState::Draw() {
    if (!Renderer)
        return;
    Renderer->DrawTexture(tidTitle, false, 0, 0, TitleZ);
    if (PromptVisible())
        Renderer->DrawTexture(tidTitleClick, true, PromptX, PromptY, TitleZ);
    DrawTitleHint(*Renderer);
}

void TTitleState::MouseDown(int, int, TMouseButtonCode button, TShiftFlags) {
    if (button == mbLeft)
        App.ChangeToMain();
}
