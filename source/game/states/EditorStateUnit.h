#pragma once
// The editor: a stage is made on the whole field, cell by cell with strokes
// of the mouse as in play, or a rectangle at a time; its ten numbers, name
// and hint on a panel. F5 plays it as a player meets it; a play that keeps
// its clear proves it, and a proved stage can be published as one share file.

#include "game/states/GameStateUnit.h"
#include "game/states/StageEditorUnit.h"
#include "game/states/StrokeUnit.h"

#include <functional>
#include <optional>
#include <string>

class TStagePlays;

// The keys of the editor, besides the digits that choose the tool (0 empty
// to 5 source, the numbers the map's cell types have in a replay).
inline constexpr std::uint16_t FillKey = 'F';
inline constexpr std::uint16_t NameKey = 'N';
inline constexpr std::uint16_t HintKey = 'H';
inline constexpr std::uint16_t RedoKey = 'Y';       // with Ctrl
inline constexpr std::uint16_t BlankStageKey = 'N'; // with Ctrl
inline constexpr std::uint16_t CopyStageKey = 'O';  // with Ctrl
inline constexpr std::uint16_t PublishKey = 0x75;   // F6

// What the editor asks of the game around it.
class TEditorHost {
public:
    // Writes the stage into the test play's stage folder and starts its test play.
    virtual void StartTestPlay(const TStageDraft& stage) = 0;
    // The kept clear of the test play that ended last, once; none when it
    // kept none.
    virtual std::optional<TStageProof> TakeTestProof() = 0;
    // Loads the stage chosen on the title into the box and gives its name and
    // hint; false (and a notice) when it cannot be read.
    virtual bool LoadChosenStage(std::string& name, std::string& hint) = 0;
    // Writes the proved stage's share file into PublishFolder() and says
    // where (or what failed) in a notice.
    virtual void Publish(const TStageDraft& stage, const TStageProof& proof) = 0;
    virtual std::string PublishFolder() const = 0;
    virtual void ShowNotice(const std::string& text) = 0;

protected:
    ~TEditorHost() = default;
};

// Where the panel lies: over the top of the field, its bottom, or hidden (Tab).
enum TPanelPlace : std::uint8_t { ppBottom, ppTop, ppHidden };

// Which text the keys type into.
enum TTypedText : std::uint8_t { ttNone, ttName, ttHint };

class TEditorState : public TGameState {
public:
    TEditorState(TStateSwitch& app, TGameRenderer* renderer, TWaitTimer& waitTimer, TBGMManager& bgmManager,
                 TVaporelBox& box, TEditorHost& host);

    // Back from a test play: a kept clear proves the stage as it is.
    void Enter() override;
    void Draw() override;
    bool Animated() const override { return false; }
    void KeyDown(std::uint16_t key) override;
    void CharInput(char32_t letter) override;
    bool TakesText() const override { return Typing_ != ttNone; }
    void MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;
    void MouseMove(int x, int y, TShiftFlags shift) override;
    void MouseUp(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;
    void MouseLeave() override;

    const TStageEditor& Editor() const { return Editor_; }
    TCellType Tool() const { return Tool_; }
    bool FillMode() const { return FillMode_; }
    TStageNumberId ChosenNumber() const { return ChosenNumber_; }
    TTypedText Typing() const { return Typing_; }
    const std::string& TypedText() const { return TypedText_; }
    TPanelPlace PanelPlace() const { return PanelPlace_; }

private:
    void TypingKeyDown(std::uint16_t key);
    void StartTyping(TTypedText text, std::uint16_t key);
    void KeepTypedText();
    void ChooseNumber(int step);
    void ChangeNumber(std::uint16_t key);
    void CopyChosenStage();
    void TestPlay();
    void Publish();
    void PaintAlongStroke(int x, int y);

    void DrawCells() const;
    void DrawPanel() const;
    double DrawToolLine(double baseline) const;
    double DrawNumbers(double baseline) const;
    double DrawTexts(double baseline) const;
    void DrawProofLine(double baseline) const;
    void DrawMarks() const;

    TEditorHost& Host;
    TStageEditor Editor_;
    TCellType Tool_ = ctBlock;
    bool FillMode_ = false;
    TStageNumberId ChosenNumber_ = snPool;
    TPanelPlace PanelPlace_ = ppBottom;
    TStroke Stroke{TCellPos{0, 0}};
    TCellType StrokeType = ctBlock; // what the stroke or the fill under way paints
    std::optional<TCellPos> Hover;
    std::optional<TCellPos> FillCorner; // where the rectangle's press was
    TCellPos FillEnd;
    TTypedText Typing_ = ttNone;
    std::string TypedText_;
    char32_t DroppedStartLetter = 0; // the key that started typing also types its letter: not into the text
};
