#pragma once
// The game application: fixes the window, reads and writes the options file,
// creates and owns every subsystem, and runs the frame step under the frame
// wait timer.

#include "game/app/GameEditingUnit.h"
#include "game/app/GameInputUnit.h"
#include "game/app/GamePlaysUnit.h"
#include "game/app/NoticeUnit.h"
#include "game/audio/BGMManagerUnit.h"
#include "game/audio/SoundManagerUnit.h"
#include "game/core/AppUnit.h"
#include "game/core/GameProfilerUnit.h"
#include "game/core/WaitTimerUnit.h"
#include "game/render/GameRendererUnit.h"
#include "game/render/ModelUnit.h"
#include "game/render/OpenGLRendererUnit.h"
#include "game/render/StageLayersUnit.h"
#include "game/render/VaporelBoxDrawerUnit.h"
#include "game/stages/StagePlaysUnit.h"
#include "game/states/EditorStateUnit.h"
#include "game/states/GameStateUnit.h"
#include "game/states/MainGameStateUnit.h"
#include "game/states/TitleStateUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/IniFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr const char* GameTitle = "The Vaporel Vovor of ZANK (ver 1.0.0)";
// The single-instance lock: the title without the version.
inline constexpr const char* InstanceName = "The Vaporel Vovor of ZANK";

inline constexpr std::int32_t GameWidth = 1024; // pixels
inline constexpr std::int32_t GameHeight = 768; // pixels
inline constexpr std::int32_t GameColorBits = 32;
inline constexpr std::int32_t DebugTextPeriod = 60; // timed frames between refreshes of the debug texts
inline constexpr double DebugTextZ = 10000;         // nearest: in front of everything
inline constexpr double CursorZ = 1000;

class TGameApp : public TApp, public TStateSwitch {
public:
    TGameApp();
    ~TGameApp() override;

    // Share files (ShareFileUnit.h) whose stages the game adds once its
    // window exists, as if they were dropped on it.
    void AddSharedStagesAtStart(std::vector<std::string> fileNames) {
        SharedFilesAtStart = std::move(fileNames);
    }

    // From a test play, the editor instead.
    void ChangeToTitle() override;
    void ChangeToMain() override;
    void ChangeToEditor() override;
    void Invalidate() override { TApp::Invalidate(); }
    // The state that gets the frames and the mouse; null until the window exists.
    TGameState* CurrentState() const { return CurrentState_; }
    TTitleState* TitleState() const { return TitleState_.get(); }
    TMainGameState* MainGameState() const { return MainGameState_.get(); }
    TEditorState* EditorState() const { return EditorState_.get(); }
    // The stage select and the plays; null until the window exists.
    TStagePlays* Plays() const { return Plays_.get(); }
    // The notice shown now, or "".
    const std::string& Notice() const { return Notice_.Text(); }

    // The measuring points; the count of pidDraw is the pictures drawn.
    const TGameProfiler& GameProfiler() const { return *Profiler; }
    // Timed frames run since start.
    std::int32_t FrameCount() const { return FrameCount_; }
    bool VisibleDebugMessage() const { return VisibleDebugMessage_; }
    // All sound, effects and music, is silenced (M).
    bool IsMuted() const { return IsMuted_; }
    const TSoundManager& Sound() const { return *SoundManager; }
    // The help panel over the title or the game; F1 shows and hides it.
    bool HelpVisible() const { return HelpVisible_; }
    const std::string& CollisionText() const { return CollisionText_; }
    const std::string& ParticleNumText() const { return ParticleNumText_; }

protected:
    void OnCreateWindow() override;
    void OnDestroyWindow() override;
    void Idle() override;
    void Paint() override;
    void KeyDown(std::uint16_t& key) override;
    void CharInput(char32_t letter) override;
    void MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;
    void MouseMove(int x, int y, TShiftFlags shift) override;
    void MouseUp(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;
    void MouseWheel(int notches) override;
    void MouseLeave() override;
    void FilesDropped(const std::vector<std::string>& fileNames) override;

private:
    void LoadOptions();
    void SaveOptions();
    void CreateRenderer();
    void Draw();
    void UpdateDebugTexts();
    // Marks the picture out of date when the pointer or the debug lines
    // changed since it was drawn.
    void NoteChangesOnScreen();
    bool PictureDue() const;
    void DrawDebugLines();
    void DrawCursor();
    void PourWaterAtCursor();
    void ToggleMute();
    // The keys of the game around the editor: the sound, the help, the debug
    // lines, full screen.
    void EditorKeyDown(std::uint16_t& key);
    void ChangeTo(TGameState& state);
    // Shows `text` for NoticeMilliseconds over the title or the game.
    void ShowNotice(const std::string& text);

    std::unique_ptr<TGameProfiler> Profiler;
    std::unique_ptr<TGameRenderer> Renderer;
    std::unique_ptr<TGameInput> Input;
    std::unique_ptr<TSoundManager> SoundManager;
    std::unique_ptr<TBGMManager> BGMManager;
    std::unique_ptr<TWaitTimer> WaitTimer;
    std::unique_ptr<TModelManager> ModelManager;
    std::unique_ptr<TStageLayers> StageLayers;
    std::unique_ptr<TVaporelBoxDrawer> BoxDrawer;
    std::unique_ptr<TVaporelBox> Box;
    std::unique_ptr<platform::IniFile> Options;
    std::unique_ptr<TStagePlays> Plays_;
    std::unique_ptr<TGamePlays> GamePlays;
    std::unique_ptr<TTitleState> TitleState_;
    std::unique_ptr<TMainGameState> MainGameState_;
    std::unique_ptr<TGameEditing> GameEditing;
    std::unique_ptr<TEditorState> EditorState_;
    TGameState* CurrentState_ = nullptr;
    std::int32_t FrameCount_ = 0;
    // As the picture on screen shows them.
    platform::Point DrawnCursor{};
    std::int32_t DrawnFPS = 0;
    std::int32_t DrawnDrawFPS = 0;
    std::string CollisionText_;
    std::string ParticleNumText_;
    bool VisibleDebugMessage_ = false;
    std::vector<std::string> SharedFilesAtStart;
    TNotice Notice_;
    bool IsMuted_ = false;
    bool HelpVisible_ = false;
};
