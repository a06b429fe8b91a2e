#pragma once
// The game is always in one of its states: the title screen, the game
// itself, or the editor. The application keeps the current one and gives it every timed
// frame, every drawn picture and every mouse event; the states hold no
// subsystem of their own, they act on the objects they were given.

#include "game/core/AppUnit.h"

class TBGMManager;
class TGameRenderer;
class TVaporelBox;
class TWaitTimer;

// The application as the states see it: the switches between them, and the
// mark that the picture on screen is out of date. Each switch calls Leave on
// the current state and Enter on the target, at once, also from inside the
// current state's own operations.
class TStateSwitch {
public:
    virtual void ChangeToTitle() = 0;
    virtual void ChangeToMain() = 0;
    virtual void ChangeToEditor() = 0;
    // The next timed frame that may be drawn is drawn, also in a state that
    // is not Animated.
    virtual void Invalidate() = 0;

protected:
    ~TStateSwitch() = default;
};

class TGameState {
public:
    // Stores the references; none is owned. `renderer` may be null where
    // nothing is drawn (tests without a display).
    TGameState(TStateSwitch& app, TGameRenderer* renderer, TWaitTimer& waitTimer, TBGMManager& bgmManager,
               TVaporelBox& box)
        : App(app), Renderer(renderer), WaitTimer(waitTimer), BGMManager(bgmManager), Box(box) {}
    virtual ~TGameState() = default;
    TGameState(const TGameState&) = delete;
    TGameState& operator=(const TGameState&) = delete;

    virtual void Enter() {}
    virtual void Leave() {}
    // One timed frame.
    virtual void Update() {}
    // One drawn picture.
    virtual void Draw() {}
    // A key pressed (a virtual-key code); the application's own keys come after.
    virtual void KeyDown(std::uint16_t) {}
    // A letter typed, as a Unicode code point.
    virtual void CharInput(char32_t) {}
    // Whether the keys type text now: the game's own letter keys then wait.
    virtual bool TakesText() const { return false; }
    // Whether the picture may change in every timed frame. A state that says
    // no is drawn only after something marked the picture out of date: a
    // message to the window (input, exposure, size), a moved pointer, changed
    // debug lines, a switch of states, or the state itself through
    // App.Invalidate for every change its own Update makes to its picture.
    virtual bool Animated() const { return true; }
    // X and Y are client pixels.
    virtual void MouseDown(int, int, TMouseButtonCode, TShiftFlags) {}
    virtual void MouseMove(int, int, TShiftFlags) {}
    virtual void MouseUp(int, int, TMouseButtonCode, TShiftFlags) {}
    // The pointer left the client area.
    virtual void MouseLeave() {}

protected:
    TStateSwitch& App;
    TGameRenderer* Renderer;
    TWaitTimer& WaitTimer;
    TBGMManager& BGMManager;
    TVaporelBox& Box;
};
