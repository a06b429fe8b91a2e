#pragma once
// The game itself: the water runs, the box draws the stage, and the mouse
// redraws the map stroke by stroke. The right button runs the game four times
// as fast while it is held; P pauses the water while the player plans, Ctrl+Z
// takes back the last stroke; the stage's end returns to the title.

#include "game/audio/SoundManagerUnit.h"
#include "game/states/GameStateUnit.h"
#include "game/states/StrokeUnit.h"
#include "game/states/UndoHistoryUnit.h"
#include "game/texts/PlayerTextsUnit.h"
#include "game/water/SettleWatchUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <cstdint>
#include <string>

inline constexpr std::int32_t NormalFrameRate = 60; // timed frames per second
inline constexpr std::int32_t FastFrameRate = 240;  // while the right button is held

// Virtual-key codes of the keys that choose the kind of cell to draw.
inline constexpr std::int32_t OutletKey = '1';
inline constexpr std::int32_t DrainKey = '2';
inline constexpr std::int32_t SourceKey = '3';
inline constexpr std::int32_t PauseKey = 'P';
inline constexpr std::int32_t UndoKey = 'Z'; // with Ctrl

// The effects of a play, in the sound manager's own items.
inline constexpr TSoundEffectID StrokeSound = seSelect;   // a soft click: a stroke changed its first cell
inline constexpr TSoundEffectID BlueDropSound = seHit1;   // blue water left through an outlet
inline constexpr TSoundEffectID EtcDropSound = seHit2;    // the other water left through an outlet
inline constexpr TSoundEffectID ClearSound = seClear;     // a chime: the stage is cleared
inline constexpr TSoundEffectID GameOverSound = seDecide; // a low tone: the stage is lost
// A drop sounds at most this often, also while the water runs fast: its
// cooldown follows the frame rate.
inline constexpr std::int32_t MaxDropsPerSecond = 10;
inline constexpr const char* SoundFolder = "sounds/";

inline constexpr std::string_view PausedText = TextId("PAUSED");

// Loads the effects of a play from SoundFolder, one WAVE file named after
// each item. A file that cannot be read is logged and its effect stays silent.
void LoadGameSounds(TSoundManager& soundManager);

// The map editing's rule: the keys held (tested in the order 1, 2, 3, Ctrl)
// choose a type that toggles with empty; with none of them empty and block
// swap, and any other type stays.
TCellType EditedCellType(TCellType type, TShiftFlags shift);

class TMainGameState : public TGameState {
public:
    TMainGameState(TStateSwitch& app, TGameRenderer* renderer, TWaitTimer& waitTimer, TBGMManager& bgmManager,
                   TVaporelBox& box, TSoundManager& soundManager);

    // Restarts the stage, running, with no stroke to take back. The start
    // click may still be held: its stroke begins with no position (no line
    // from the last play's press) and skips only the cell changed last.
    void Enter() override;
    // Back to 60 frames a second: the fast mode never outlives the game.
    void Leave() override;
    // Unless paused: one frame of the water and the sounds of what it did;
    // when the box is finished, the title at once.
    void Update() override;
    // The stage's scene, and the goal at the top of the field while a play starts.
    void Draw() override;
    void KeyDown(std::uint16_t key) override;
    void MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;
    void MouseMove(int x, int y, TShiftFlags shift) override;
    void MouseUp(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;
    void MouseLeave() override;

    // The stage was read again: the strokes before it cannot be taken back.
    void StageReloaded() { History_.Clear(); }
    // Every cell the last stroke changed gets back the type it had.
    void Undo();

    bool Paused() const { return Paused_; }
    // The water has come to rest (SettleWatchUnit.h); the screen says so.
    bool WaterSettled() const { return Settle.Settled(); }
    const TUndoHistory& History() const { return History_; }
    // The cell the mouse edited last; (0, 0) at first.
    std::int32_t LastCellX() const { return LastCell.Column; }
    std::int32_t LastCellY() const { return LastCell.Row; }

private:
    // With the left button held, edits each cell of the stroke's line to
    // (X, Y) by EditedCellType.
    void EditAlongStroke(int x, int y, TShiftFlags shift);
    void EditCell(TCellPos cell, TShiftFlags shift);
    // The one place where a cell of the box changes on the player's behalf:
    // a stroke's edit or its undo.
    void SetPlayerCell(TCellPos cell, TCellType type);
    // Times the frames, with the drops' cooldown to match.
    void RunAt(std::int32_t framesPerSecond);
    void RequestSoundsOfFrame(std::int32_t blueOutBefore, std::int32_t etcOutBefore, TBoxState stateBefore);
    void DrawPausedLabel() const;

    TSoundManager& SoundManager;
    // Until the first press of a play, the stroke holds the cell changed
    // last, (0, 0) at first.
    TStroke Stroke{TCellPos{0, 0}};
    TCellPos LastCell{0, 0};
    TUndoHistory History_;
    TSettleWatch Settle;
    bool Paused_ = false;
};
