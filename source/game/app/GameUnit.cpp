#include "game/app/GameUnit.h"

#include "game/app/OptionsUnit.h"
#include "game/core/KeyStateUnit.h"
#include "game/states/GuideUnit.h"
#include "game/states/OutcomeUnit.h"
#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/Clock.h"
#include "platform/OpenGLBinding.h"

#include <cstdint>
#include <cstdio>

using namespace platform;

namespace {

const char* const IsFullScreenKey = "IsFullScreen";
const char* const VisibleDebugMessageKey = "VisibleDebugMessage";
const char* const IsMutedKey = "IsMuted";

template <typename... Values> std::string Format(const char* format, Values... values) {
    char text[128];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

TGameApp::TGameApp() : TApp("TGameApp") {
    Title = GameTitle;
    Width = GameWidth;
    Height = GameHeight;
    ColorBits = GameColorBits;
    HideCursor(); // the game draws its own cursor picture
    LoadOptions();
}

// The parts go in a fixed order; the box never touches the profiler on its
// way out, and every GL object goes before the renderer's context.
TGameApp::~TGameApp() {
    CurrentState_ = nullptr;
    EditorState_.reset();
    GameEditing.reset();
    MainGameState_.reset();
    TitleState_.reset();
    GamePlays.reset();
    Plays_.reset(); // its recorder listens to the box
    Profiler.reset();
    Box.reset();
    BoxDrawer.reset();
    StageLayers.reset();
    ModelManager.reset();
    WaitTimer.reset();
    Input.reset();
    BGMManager.reset(); // stops the music before the device goes
    SoundManager.reset();
    Renderer.reset();
    Options.reset();
}

void TGameApp::LoadOptions() {
    Options = std::make_unique<IniFile>(ProgramFilePath(".ini", TUserFolder::Config));
    StartFullScreen = ReadBoolOption(*Options, IsFullScreenKey, false);
    VisibleDebugMessage_ = ReadBoolOption(*Options, VisibleDebugMessageKey, false);
    IsMuted_ = ReadBoolOption(*Options, IsMutedKey, false);
}

void TGameApp::SaveOptions() {
    WriteBoolOption(*Options, IsFullScreenKey, IsFullScreen());
    WriteBoolOption(*Options, VisibleDebugMessageKey, VisibleDebugMessage_);
    WriteBoolOption(*Options, IsMutedKey, IsMuted_);
    Options->Save();
}

// Runs while the window is being created; the order matters: the profiler
// first, since the others measure with it.
void TGameApp::OnCreateWindow() {
    Profiler = std::make_unique<TGameProfiler>();
    CreateRenderer();
    SoundManager = std::make_unique<TSoundManager>();
    SoundManager->Device().SetMuted(IsMuted_);
    LoadGameSounds(*SoundManager);
    BGMManager = std::make_unique<TBGMManager>(*SoundManager);
    BGMManager->LoadBGMList();
    Input = std::make_unique<TGameInput>(); // created and freed only: no frame step polls it
    WaitTimer = std::make_unique<TWaitTimer>();
    WaitTimer->SetRate(NormalFrameRate);
    WaitTimer->SetFrameSkip(true);
    ModelManager = std::make_unique<TModelManager>(); // needs the renderer's context
    ModelManager->BuildLists();
    StageLayers = std::make_unique<TStageLayers>(Renderer->TextureManager());
    BoxDrawer = std::make_unique<TVaporelBoxDrawer>(*this, *Renderer);
    Box = std::make_unique<TVaporelBox>(*Profiler, StageLayers.get(), BoxDrawer.get());
    Plays_ =
        std::make_unique<TStagePlays>(*Box, TStageList(ShippedStagesFolder(), UserStagesFolder()),
                                      ProgressFileName(), ProgramFolderPath("replays/", TUserFolder::State));
    GamePlays =
        std::make_unique<TGamePlays>(*Plays_, *Box, [this](const std::string& text) { ShowNotice(text); });
    TitleState_ =
        std::make_unique<TTitleState>(*this, Renderer.get(), *WaitTimer, *BGMManager, *Box, Plays_.get());
    MainGameState_ =
        std::make_unique<TMainGameState>(*this, Renderer.get(), *WaitTimer, *BGMManager, *Box, *SoundManager);
    GameEditing = std::make_unique<TGameEditing>(
        *Plays_, *Box, [this] { ChangeToMain(); }, [this](const std::string& text) { ShowNotice(text); });
    EditorState_ =
        std::make_unique<TEditorState>(*this, Renderer.get(), *WaitTimer, *BGMManager, *Box, *GameEditing);
    for (const std::string& fileName : SharedFilesAtStart)
        GamePlays->AddSharedStage(fileName);
    Box->LoadStage(StartUpStageFolder()); // the title's click loads the stage chosen
    ChangeToTitle();
}

// Each file's stage is added and chosen; the title shows the new choice, and
// a play goes on (its next title shows it).
void TGameApp::FilesDropped(const std::vector<std::string>& fileNames) {
    if (!GamePlays)
        return;
    for (const std::string& fileName : fileNames)
        GamePlays->AddSharedStage(fileName);
    if (CurrentState_ == TitleState_.get())
        ChangeToTitle();
}

void TGameApp::CreateRenderer() {
    Renderer = std::make_unique<TGameRenderer>(*this, *Profiler);
    Renderer->SetSize(Width, Height);
    EnableVSync();
    Renderer->Begin2D();
}

void TGameApp::ChangeToTitle() {
    const bool testPlay = CurrentState_ == MainGameState_.get() && Plays_->IsTestPlay();
    ChangeTo(testPlay ? static_cast<TGameState&>(*EditorState_) : *TitleState_);
}

void TGameApp::ChangeToEditor() {
    ChangeTo(*EditorState_);
}

void TGameApp::ChangeToMain() {
    ChangeTo(*MainGameState_);
}

// Switching to the current state still leaves and enters it again (F5
// restarts the game from the game). Leaving the game ends its play; entering
// it starts a play of the chosen stage, or of the same stage again, and a
// stage that does not load leaves the player on the title (in the editor,
// for a test play).
void TGameApp::ChangeTo(TGameState& state) {
    const bool wasPlaying = CurrentState_ == MainGameState_.get();
    if (CurrentState_)
        CurrentState_->Leave();
    if (wasPlaying)
        GamePlays->EndPlay();
    CurrentState_ = &state;
    if (CurrentState_ == MainGameState_.get() && !GamePlays->BeginPlay(/*again=*/wasPlaying))
        CurrentState_ =
            Plays_->IsTestPlay() ? static_cast<TGameState*>(EditorState_.get()) : TitleState_.get();
    CurrentState_->Enter();
    if (CurrentState_ == MainGameState_.get())
        Plays_->PlayStarted(); // after the box's restart: a retry's cells
    Invalidate();
}

void TGameApp::ShowNotice(const std::string& text) {
    Notice_.Show(text, TimeGetTime());
    Invalidate();
}

void TGameApp::OnDestroyWindow() {
    if (CurrentState_ == MainGameState_.get())
        GamePlays->EndPlay(); // the game closing ends the play
    SaveOptions();
    Log().WriteLine(CollisionText_);
    Log().WriteLine(ParticleNumText_);
    Profiler->WriteLog();
}

// While the picture on screen stays right, only a message can change it
// before the next timed frame: the loop sleeps until one comes or the frame
// is due, instead of pacing in short sleeps.
void TGameApp::Idle() {
    if (!PictureDue())
        WaitMessageFor(WaitTimer->TimeUntilDue());
    if (WaitTimer->Check())
        return;
    SoundManager->Update();
    BGMManager->Update(); // fades
    CurrentState_->Update();
    UpdateDebugTexts();
    NoteChangesOnScreen();
    if (!WaitTimer->IsSkipping() && PictureDue())
        Draw();
    ++FrameCount_;
}

// A picture the same as the one on screen is not drawn again: the timed
// frame still runs and counts.
bool TGameApp::PictureDue() const {
    return CurrentState_->Animated() || IsInvalid();
}

void TGameApp::NoteChangesOnScreen() {
    if (Notice_.Expire(TimeGetTime()))
        Invalidate();
    if (GetClientCursorPos() != DrawnCursor)
        Invalidate();
    if (VisibleDebugMessage_ && (WaitTimer->FPS() != DrawnFPS || WaitTimer->DrawFPS() != DrawnDrawFPS))
        Invalidate();
}

// Also outside the timer's pace, whenever the window needs painting.
void TGameApp::Paint() {
    Draw();
}

void TGameApp::Draw() {
    Profiler->Start(pidDraw);
    Renderer->Clear();
    if (CurrentState_)
        CurrentState_->Draw();
    if (HelpVisible_ && CurrentState_ == EditorState_.get())
        DrawEditorHelpPanel(*Renderer);
    else if (HelpVisible_)
        DrawHelpPanel(*Renderer, *Box);
    if (IsMuted_)
        DrawMutedSign(*Renderer);
    Notice_.Draw(*Renderer);
    DrawCursor();
    DrawDebugLines();
    Renderer->Present();
    Validate();
    Profiler->Stop(pidDraw);
}

// The system cursor is hidden; the picture's top-left corner is the pointer.
void TGameApp::DrawCursor() {
    DrawnCursor = GetClientCursorPos();
    Renderer->DrawTexture(tidCursor, false, DrawnCursor.X, DrawnCursor.Y, CursorZ);
}

void TGameApp::DrawDebugLines() {
    if (!VisibleDebugMessage_)
        return;
    DrawnFPS = WaitTimer->FPS();
    DrawnDrawFPS = WaitTimer->DrawFPS();
    const std::string lines[] = {
        Format("FPS %d(%d)", DrawnDrawFPS, DrawnFPS),
        CollisionText_,
        ParticleNumText_,
    };
    double y = 0;
    for (const std::string& line : lines) {
        platform::GL().Color3f(0, 0, 0); // black, set before each line
        Renderer->DrawText(line, 0, y, DebugTextZ);
        y += Renderer->FontHeight();
    }
}

// On the first timed frame and every 60th after it, shown or not.
void TGameApp::UpdateDebugTexts() {
    if (FrameCount_ % DebugTextPeriod != 0)
        return;
    CollisionText_ = Format("Collision %d, %d", Box->CollisionChecks(), Box->CollisionHits());
    ParticleNumText_ = Format("ParticleNum %d", Box->ActiveParticleCount());
    if (VisibleDebugMessage_)
        Invalidate();
}

void TGameApp::PourWaterAtCursor() {
    const Point cursor = GetClientCursorPos();
    Box->Apply(TBoxAction{akPour, cursor.X, cursor.Y});
}

void TGameApp::ToggleMute() {
    IsMuted_ = !IsMuted_;
    SoundManager->Device().SetMuted(IsMuted_);
}

// Escape ends a test play (back to the editor) rather than the game.
void TGameApp::KeyDown(std::uint16_t& key) {
    const bool playing = CurrentState_ == MainGameState_.get();
    if (playing && key == VK_ESCAPE && Plays_->IsTestPlay())
        return ChangeToTitle();
    if (CurrentState_ == EditorState_.get())
        return EditorKeyDown(key);
    CurrentState_->KeyDown(key);
    switch (key) {
    case 'R': Box->Apply(TBoxAction{akReset}); break;
    case 'L':
        Box->Apply(TBoxAction{akReload});
        MainGameState_->StageReloaded();
        break;
    case 'M': ToggleMute(); break;
    case RetryKey:
        if (Plays_->CanRetry()) {
            Plays_->RequestRetry();
            ChangeToMain();
        }
        break;
    case 'Q': PourWaterAtCursor(); break;
    case 'S':
        if (playing && IsKeyDown(VK_CONTROL))
            GamePlays->SaveMapAsStage();
        break;
    case VK_F1: HelpVisible_ = !HelpVisible_; break;
    case VK_F2: VisibleDebugMessage_ = !VisibleDebugMessage_; break;
    case VK_F5: ChangeToMain(); break;
    default: break;
    }
    TApp::KeyDown(key);
}

// While a text is typed the keys are all its own; Escape there, and in the
// editor, goes back rather than ending the game.
void TGameApp::EditorKeyDown(std::uint16_t& key) {
    const bool typing = EditorState_->TakesText();
    EditorState_->KeyDown(key);
    if (typing || key == VK_ESCAPE)
        return;
    switch (key) {
    case 'M': ToggleMute(); break;
    case VK_F1: HelpVisible_ = !HelpVisible_; break;
    case VK_F2: VisibleDebugMessage_ = !VisibleDebugMessage_; break;
    default: break;
    }
    TApp::KeyDown(key);
}

void TGameApp::CharInput(char32_t letter) {
    CurrentState_->CharInput(letter);
}

void TGameApp::MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) {
    CurrentState_->MouseDown(x, y, button, shift);
}

void TGameApp::MouseMove(int x, int y, TShiftFlags shift) {
    CurrentState_->MouseMove(x, y, shift);
}

void TGameApp::MouseUp(int x, int y, TMouseButtonCode button, TShiftFlags shift) {
    CurrentState_->MouseUp(x, y, button, shift);
}

void TGameApp::MouseWheel(int notches) {
    if (CurrentState_ == TitleState_.get())
        TitleState_->MouseWheel(notches);
}

void TGameApp::MouseLeave() {
    CurrentState_->MouseLeave();
}
