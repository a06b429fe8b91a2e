#pragma once
// The title screen: the title picture with a blinking click prompt and, below
// it, the stage select, how to play and the help key; a left click starts the
// chosen stage.

#include "game/states/GameStateUnit.h"

#include <cstddef>
#include <cstdint>
#include <string>

class TStagePlays;

// Opens the editor from the title.
inline constexpr std::uint16_t EditorKey = 'E';
struct TStageInfo;

class TTitleState : public TGameState {
public:
    static constexpr std::int32_t BlinkFrames = 30; // the prompt is shown, then hidden, this long

    // `plays` (not owned) gives the stage select; without it the title shows
    // the picture and the prompt only.
    TTitleState(TStateSwitch& app, TGameRenderer* renderer, TWaitTimer& waitTimer, TBGMManager& bgmManager,
                TVaporelBox& box, TStagePlays* plays = nullptr)
        : TGameState(app, renderer, waitTimer, bgmManager, box), Plays(plays) {}

    void Enter() override;
    void Update() override;
    void Draw() override;
    // Only the prompt's blinking changes the picture by itself.
    bool Animated() const override { return false; }
    void MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;
    // The Left and Right keys and the wheel choose the stage; E opens the editor.
    void KeyDown(std::uint16_t key) override;
    void MouseWheel(int notches);

    // Timed frames since the last Enter.
    std::int32_t Frames() const { return Frames_; }
    // Shown for frames 0 to 29 after Enter, hidden 30 to 59, and so on.
    bool PromptVisible() const { return Frames_ / BlinkFrames % 2 == 0; }

    // The stage select's lines and the last play's, as drawn.
    const std::string& ChoiceLine() const { return ChoiceLine_; }
    const std::string& BestLine() const { return BestLine_; }
    const std::string& LastPlayLine() const { return LastPlayLine_; }
    // The stars shown beside the best result, and after the last play's line.
    std::int32_t ChoiceStars() const { return ChoiceStars_; }

private:
    // The stage select's lines: the stage's place and name, its best result.
    std::string StageLine(const TStageInfo& stage) const;
    std::string BestText(const TStageInfo& stage) const;
    // Made when the choice changes, so that drawing allocates nothing.
    void UpdateChoiceLines();
    void UpdateLastPlayLine();
    void DrawStageChoice() const;
    void DrawLastPlay() const;

    TStagePlays* Plays;
    std::int32_t Frames_ = 0;
    std::string ChoiceLine_, BestLine_, HintLine_, LastPlayLine_;
    std::int32_t ChoiceStars_ = 0;
    std::int32_t LastPlayStars_ = 0; // shown after the last play's line
};
