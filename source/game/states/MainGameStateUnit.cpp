#include "game/states/MainGameStateUnit.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/core/KeyStateUnit.h"
#include "game/core/WaitTimerUnit.h"
#include "game/render/GameRendererUnit.h"
#include "game/states/GuideUnit.h"
#include "game/states/OutcomeUnit.h"
#include "game/texts/PlayerTextsUnit.h"
#include "lib/Z5LogUnit.h"
#include "platform/OpenGLBinding.h"

#include <array>

namespace {

struct TGameSound {
    TSoundEffectID Id;
    std::int32_t CooldownFrames;
};
constexpr std::array<TGameSound, 5> GameSounds = {{
    {StrokeSound, 0},
    {BlueDropSound, NormalFrameRate / MaxDropsPerSecond},
    {EtcDropSound, NormalFrameRate / MaxDropsPerSecond},
    {ClearSound, 0},
    {GameOverSound, 0},
}};

// The label over the middle of the field: white letters on a dark plate.
constexpr double PausedPadding = 12; // pixels around the text
constexpr double PausedZ = 9000;     // over the scene, under the cursor's picture
constexpr float PausedPlateDarkness = 0.75f;
constexpr double StrokeSoundPanWidth = 0.5; // from -0.5 at the left edge to 0.5 at the right

// The first rule that applies: a key chooses its type, toggling with empty.
TCellType Toggled(TCellType type, TCellType chosen) {
    return type == chosen ? ctEmpty : chosen;
}

} // namespace

void LoadGameSounds(TSoundManager& soundManager) {
    for (const TGameSound& sound : GameSounds) {
        const std::string fileName =
            std::string(SoundFolder) + SoundEffectNames[static_cast<std::size_t>(sound.Id)] + ".wav";
        try {
            soundManager.LoadEffect(sound.Id, fileName, sound.CooldownFrames);
        } catch (const Exception& error) {
            WriteError(error.what()); // the game plays on without this effect
        }
    }
}

TCellType EditedCellType(TCellType type, TShiftFlags shift) {
    if (IsKeyDown(OutletKey))
        return Toggled(type, ctOutlet);
    if (IsKeyDown(DrainKey))
        return Toggled(type, ctDrain);
    if (IsKeyDown(SourceKey))
        return Toggled(type, ctSource);
    if (shift & ssCtrl)
        return Toggled(type, ctWall);
    switch (type) {
    case ctEmpty: return ctBlock;
    case ctBlock: return ctEmpty;
    default: return type;
    }
}

TMainGameState::TMainGameState(TStateSwitch& app, TGameRenderer* renderer, TWaitTimer& waitTimer,
                               TBGMManager& bgmManager, TVaporelBox& box, TSoundManager& soundManager)
    : TGameState(app, renderer, waitTimer, bgmManager, box), SoundManager(soundManager) {}

void TMainGameState::Enter() {
    Box.Restart();
    History_.Clear();
    Stroke = TStroke{LastCell};
    Settle.Reset();
    Paused_ = false;
    BGMManager.PlayBGM(bidGame); // from its beginning, at full volume
}

void TMainGameState::Leave() {
    RunAt(NormalFrameRate);
}

void TMainGameState::RunAt(std::int32_t framesPerSecond) {
    WaitTimer.SetRate(framesPerSecond);
    for (const TSoundEffectID drop : {BlueDropSound, EtcDropSound})
        SoundManager.Item(drop).CooldownFrames = framesPerSecond / MaxDropsPerSecond;
}

void TMainGameState::Update() {
    if (Paused_)
        return;
    const std::int32_t blueOut = Box.BlueOutCount(), etcOut = Box.EtcOutCount();
    const TBoxState state = Box.State();
    Box.Execute();
    Settle.Watch(Box);
    RequestSoundsOfFrame(blueOut, etcOut, state);
    if (Box.Finished())
        App.ChangeToTitle();
}

void TMainGameState::RequestSoundsOfFrame(std::int32_t blueOutBefore, std::int32_t etcOutBefore,
                                          TBoxState stateBefore) {
    if (Box.BlueOutCount() > blueOutBefore)
        SoundManager.Request(BlueDropSound);
    if (Box.EtcOutCount() > etcOutBefore)
        SoundManager.Request(EtcDropSound);
    if (Box.State() != stateBefore)
        SoundManager.Request(Box.State() == bsCleared ? ClearSound : GameOverSound);
}

void TMainGameState::Draw() {
    Box.Draw();
    if (Renderer && GoalLineVisible(Box))
        DrawGoalLine(*Renderer, Box);
    if (Renderer)
        DrawPlayLines(*Renderer, Box, Settle);
    if (Paused_)
        DrawPausedLabel();
}

void TMainGameState::DrawPausedLabel() const {
    if (!Renderer)
        return;
    const std::string_view paused = PlayerText(PausedText);
    const double width = Renderer->TextWidth(paused);
    const double left = (FieldWidth - width) / 2, top = (FieldHeight - Renderer->FontHeight()) / 2.0;
    platform::GL().Color4f(0, 0, 0, PausedPlateDarkness);
    Renderer->SetBlendNormal();
    Renderer->DrawRect(true, left - PausedPadding, top - PausedPadding, left + width + PausedPadding,
                       top + Renderer->FontHeight() + PausedPadding, PausedZ);
    Renderer->SetBlendNone();
    platform::GL().Color3f(1, 1, 1);
    Renderer->DrawText(paused, left, top, PausedZ);
}

void TMainGameState::KeyDown(std::uint16_t key) {
    if (key == PauseKey)
        Paused_ = !Paused_;
    else if (key == UndoKey && IsKeyDown(platform::VK_CONTROL))
        Undo();
}

// Each cell comes once in a stroke, so the order of its changes does not matter.
void TMainGameState::Undo() {
    for (const TCellChange& change : History_.TakeLastStroke())
        SetPlayerCell(change.Cell(), change.Before());
}

// Every press starts a new stroke, so that pressing again on the cell
// changed last toggles it back.
void TMainGameState::MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) {
    Stroke.Begin();
    History_.BeginStroke();
    if (button == mbRight)
        RunAt(FastFrameRate);
    else
        EditAlongStroke(x, y, shift);
}

void TMainGameState::MouseMove(int x, int y, TShiftFlags shift) {
    EditAlongStroke(x, y, shift);
}

void TMainGameState::MouseUp(int, int, TMouseButtonCode button, TShiftFlags) {
    if (button == mbRight)
        RunAt(NormalFrameRate);
}

// The window does not see where the pointer went: no line leads back from
// where it comes in again.
void TMainGameState::MouseLeave() {
    Stroke.Break();
}

void TMainGameState::EditAlongStroke(int x, int y, TShiftFlags shift) {
    if (!(shift & ssLeft))
        return Stroke.Break();
    const TCellLine line = Stroke.MoveTo(x, y);
    for (std::int32_t i = 0; i < line.Count; ++i)
        EditCell(line.Cells[i], shift);
}

void TMainGameState::EditCell(TCellPos cell, TShiftFlags shift) {
    LastCell = cell;
    const TCellType before = Box.Cells()[cell.Column][cell.Row].CellType;
    const TCellType after = EditedCellType(before, shift);
    if (after == before)
        return;
    if (History_.Record(cell, before)) {
        const double pan = (cell.Column + 0.5) / MapColumns * 2 - 1;
        SoundManager.Request(StrokeSound, pan * StrokeSoundPanWidth);
    }
    SetPlayerCell(cell, after);
}

void TMainGameState::SetPlayerCell(TCellPos cell, TCellType type) {
    TMapCell changed = Box.GetCell(cell.Column, cell.Row);
    changed.CellType = type;
    Box.SetCell(cell.Column, cell.Row, changed);
}
