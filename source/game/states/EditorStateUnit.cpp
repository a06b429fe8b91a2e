#include "game/states/EditorStateUnit.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/core/KeyStateUnit.h"
#include "game/render/GameRendererUnit.h"
#include "game/states/DraftStageUnit.h"
#include "game/states/MainGameStateUnit.h"
#include "platform/OpenGLBinding.h"
#include "platform/WindowMessages.h"

#include <array>

namespace {

using platform::GL;

constexpr double FieldZ = 0;
constexpr double CellsZ = 1;
constexpr double MarksZ = 10;
constexpr double PanelZ = 20;
constexpr double PanelTextZ = 21;

// The field's stone, and each cell type's colour on it, in the order of TCellType.
constexpr TTextColor FieldColour{0.16f, 0.18f, 0.22f};
constexpr TTextColor FrameShade{0.08f, 0.09f, 0.11f}; // cells the editor does not change
constexpr std::array<TTextColor, CellTypeCount> CellColours = {{
    {0.16f, 0.18f, 0.22f}, // empty: the stone
    {0.66f, 0.50f, 0.32f}, // block: sandstone
    {0.45f, 0.62f, 0.72f}, // hidden wall: faint glass
    {0.15f, 0.40f, 1.0f},  // outlet
    {0.90f, 0.20f, 0.15f}, // drain
    {0.95f, 0.82f, 0.25f}, // source: the pipe's brass
}};
constexpr std::array<std::string_view, CellTypeCount> ToolNames = {
    TextId("Empty"),  TextId("Block"), TextId("Hidden wall"),
    TextId("Outlet"), TextId("Drain"), TextId("Source"),
};

constexpr TTextColor White{1, 1, 1};
constexpr TTextColor Brass{0.93f, 0.78f, 0.47f};
constexpr TTextColor Pale{0.70f, 0.74f, 0.80f};
constexpr TTextColor Warning{1.0f, 0.55f, 0.45f};
constexpr TTextColor Proved{0.55f, 0.95f, 0.55f};

// The panel: over the field right of the gauges, ten lines high.
constexpr double PanelLeft = 64, PanelRight = 1008;
constexpr double PanelHeight = 214;
constexpr double PanelMargin = 8;
constexpr double TextHeight = 16; // pixels to the em
constexpr double LineSpacing = 20;
constexpr double NumberColumnWidth = 468;
constexpr double ToolSpacing = 150;
constexpr double SwatchSize = 12;
constexpr float PanelOpacity = 0.85f;

// How much a Shift held multiplies a number's step.
constexpr std::int32_t BigStep = 10;

inline constexpr std::string_view NumberFormat = TextId("%s: %s %s (%s to %s)");
inline constexpr std::string_view NameFormat = TextId("Name (N): %s");
inline constexpr std::string_view HintFormat = TextId("Hint (H): %s");
inline constexpr std::string_view TypingFormat = TextId("%s|   Enter keeps it, Escape drops it");
inline constexpr std::string_view FillOnText = TextId("Fill (F): on, drag a rectangle");
inline constexpr std::string_view FillOffText = TextId("Fill (F): off");
inline constexpr std::string_view UnprovedText =
    TextId("Not proved yet: F5 plays the stage; keep a clear to prove it.");
inline constexpr std::string_view VoidText =
    TextId("The proof is void: the stage changed after it. F5 proves it again.");
inline constexpr std::string_view ProvedFormat = TextId("Proved: par %s cells, %s s. F6 publishes it to %s");
inline constexpr std::string_view NeedsTextsText = TextId("Give the stage a name (N) and a hint (H) first.");
inline constexpr std::string_view UndoFormat = TextId("Undo %d, redo %d (Ctrl+Z, Ctrl+Y)");

void SetColour(const TTextColor& colour, float alpha = 1) {
    GL().Color4f(colour.R, colour.G, colour.B, alpha);
}

void AppendUtf8(std::string& text, char32_t letter) {
    if (letter < 0x80) {
        text += static_cast<char>(letter);
        return;
    }
    const int more = letter < 0x800 ? 1 : letter < 0x10000 ? 2 : 3;
    constexpr unsigned char LeadMarks[] = {0, 0xC0, 0xE0, 0xF0};
    text += static_cast<char>(LeadMarks[more] | letter >> (6 * more));
    for (int i = more - 1; i >= 0; --i)
        text += static_cast<char>(0x80 | (letter >> (6 * i) & 0x3F));
}

void DropLastLetter(std::string& text) {
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
        text.pop_back();
    if (!text.empty())
        text.pop_back();
}

} // namespace

TEditorState::TEditorState(TStateSwitch& app, TGameRenderer* renderer, TWaitTimer& waitTimer,
                           TBGMManager& bgmManager, TVaporelBox& box, TEditorHost& host)
    : TGameState(app, renderer, waitTimer, bgmManager, box), Host(host) {}

void TEditorState::Enter() {
    if (std::optional<TStageProof> proof = Host.TakeTestProof();
        proof && proof->Stage.SamePlay(Editor_.Draft()))
        Editor_.KeepProof(std::move(proof->Replay), proof->ClearFrame);
    Stroke.Break();
    FillCorner.reset();
    BGMManager.FadeOutVolume();
}

// ---- Keys -------------------------------------------------------------------

void TEditorState::KeyDown(std::uint16_t key) {
    if (Typing_ != ttNone)
        return TypingKeyDown(key);
    const bool ctrl = IsKeyDown(platform::VK_CONTROL);
    if (ctrl) {
        switch (key) {
        case UndoKey: Editor_.Undo(); break;
        case RedoKey: Editor_.Redo(); break;
        case BlankStageKey: Editor_.StartFrom(TStageDraft::Blank()); break;
        case CopyStageKey: CopyChosenStage(); break;
        default: break;
        }
        return;
    }
    if (key >= '0' && key < '0' + CellTypeCount)
        Tool_ = static_cast<TCellType>(key - '0');
    switch (key) {
    case FillKey: FillMode_ = !FillMode_; break;
    case NameKey: StartTyping(ttName, key); break;
    case HintKey: StartTyping(ttHint, key); break;
    case platform::VK_TAB: PanelPlace_ = static_cast<TPanelPlace>((PanelPlace_ + 1) % 3); break;
    case platform::VK_UP: ChooseNumber(-1); break;
    case platform::VK_DOWN: ChooseNumber(1); break;
    case platform::VK_LEFT:
    case platform::VK_RIGHT:
    case platform::VK_HOME:
    case platform::VK_END: ChangeNumber(key); break;
    case platform::VK_F5: TestPlay(); break;
    case PublishKey: Publish(); break;
    case platform::VK_ESCAPE: App.ChangeToTitle(); break;
    default: break;
    }
}

void TEditorState::TypingKeyDown(std::uint16_t key) {
    if (key != 0 && key != platform::VK_SHIFT)
        DroppedStartLetter = 0;
    if (key == platform::VK_RETURN)
        KeepTypedText();
    else if (key == platform::VK_ESCAPE)
        Typing_ = ttNone;
    else if (key == platform::VK_BACK)
        DropLastLetter(TypedText_);
}

void TEditorState::StartTyping(TTypedText text, std::uint16_t key) {
    Typing_ = text;
    TypedText_ = text == ttName ? Editor_.Draft().Name() : Editor_.Draft().Hint();
    DroppedStartLetter = key;
}

// A letter that would make the text too long, or a name with "--", is not taken.
void TEditorState::CharInput(char32_t letter) {
    if (Typing_ == ttNone)
        return;
    const bool startLetter =
        DroppedStartLetter != 0 && (letter == DroppedStartLetter || letter == DroppedStartLetter + 32);
    DroppedStartLetter = 0;
    if (startLetter)
        return;
    std::string typed = TypedText_;
    AppendUtf8(typed, letter);
    if (Typing_ == ttName ? TStageDraft::FitsName(typed) : TStageDraft::FitsHint(typed))
        TypedText_ = std::move(typed);
}

void TEditorState::KeepTypedText() {
    if (Typing_ == ttName)
        Editor_.SetName(TypedText_);
    else
        Editor_.SetHint(TypedText_);
    Typing_ = ttNone;
}

void TEditorState::ChooseNumber(int step) {
    ChosenNumber_ = static_cast<TStageNumberId>((ChosenNumber_ + StageNumberCount + step) % StageNumberCount);
}

// Left and Right move by a step (ten with Shift), Home and End to the ends of the range.
void TEditorState::ChangeNumber(std::uint16_t key) {
    const TNumberRange range = Editor_.Draft().Range(ChosenNumber_);
    if (key == platform::VK_HOME || key == platform::VK_END)
        Editor_.SetNumber(ChosenNumber_, key == platform::VK_HOME ? range.Min : range.Max);
    else
        Editor_.StepNumber(ChosenNumber_, (key == platform::VK_LEFT ? -1 : 1) *
                                              (IsKeyDown(platform::VK_SHIFT) ? BigStep : 1));
}

void TEditorState::CopyChosenStage() {
    std::string name, hint;
    if (Host.LoadChosenStage(name, hint))
        Editor_.StartFrom(TStageDraft::FromBox(Box, name, hint));
}

void TEditorState::TestPlay() {
    Host.StartTestPlay(Editor_.Draft());
}

void TEditorState::Publish() {
    const TStageProof* proof = Editor_.Proof();
    if (!proof)
        return Host.ShowNotice(
            std::string(PlayerText(Editor_.ProofState() == psVoided ? VoidText : UnprovedText)));
    if (Editor_.Draft().Name().empty() || Editor_.Draft().Hint().empty())
        return Host.ShowNotice(std::string(PlayerText(NeedsTextsText)));
    Host.Publish(Editor_.Draft(), *proof);
}

// ---- The mouse ----------------------------------------------------------------

// The left button paints the tool, the right one empties; a press starts a
// stroke of its own, or, in fill mode, a rectangle.
void TEditorState::MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags) {
    if (button == mbMiddle)
        return;
    StrokeType = button == mbRight ? ctEmpty : Tool_;
    if (FillMode_) {
        FillCorner = MapCellAt(x, y);
        FillEnd = FillCorner.value_or(TCellPos{});
        return;
    }
    Stroke.Begin();
    Editor_.BeginStroke();
    PaintAlongStroke(x, y);
}

void TEditorState::MouseMove(int x, int y, TShiftFlags shift) {
    Hover = MapCellAt(x, y);
    if (!(shift & (ssLeft | ssRight)))
        return Stroke.Break();
    if (FillCorner) {
        if (Hover)
            FillEnd = *Hover;
        return;
    }
    PaintAlongStroke(x, y);
}

void TEditorState::MouseUp(int, int, TMouseButtonCode, TShiftFlags) {
    if (FillCorner)
        Editor_.Fill(*FillCorner, FillEnd, StrokeType);
    FillCorner.reset();
}

void TEditorState::MouseLeave() {
    Stroke.Break();
    Hover.reset();
}

void TEditorState::PaintAlongStroke(int x, int y) {
    const TCellLine line = Stroke.MoveTo(x, y);
    for (std::int32_t i = 0; i < line.Count; ++i)
        Editor_.PaintCell(line.Cells[i], StrokeType);
}

// ---- Drawing ------------------------------------------------------------------

void TEditorState::Draw() {
    if (!Renderer)
        return;
    DrawCells();
    DrawMarks();
    if (PanelPlace_ != ppHidden)
        DrawPanel();
    GL().Color4f(1, 1, 1, 1);
}

void TEditorState::DrawCells() const {
    Renderer->SetBlendNone();
    SetColour(FieldColour);
    Renderer->DrawRect(true, 0, 0, FieldWidth, FieldHeight, FieldZ);
    const TStageDraft& draft = Editor_.Draft();
    for (std::int32_t column = 0; column < DraftPictureColumns; ++column)
        for (std::int32_t row = 0; row < DraftPictureRows; ++row) {
            const TCellPos cell{column, row};
            const TCellType type = draft.Cell(cell);
            if (type == ctEmpty)
                continue;
            SetColour(TStageDraft::IsEditable(cell) ? CellColours[type] : FrameShade);
            const double left = column * CellSize, top = row * CellSize;
            Renderer->DrawRect(true, left + 1, top + 1, left + CellSize, top + CellSize, CellsZ);
        }
}

// The cell under the pointer, and the rectangle a fill would paint.
void TEditorState::DrawMarks() const {
    SetColour(White);
    if (FillCorner) {
        const double left = std::min(FillCorner->Column, FillEnd.Column) * CellSize;
        const double top = std::min(FillCorner->Row, FillEnd.Row) * CellSize;
        const double right = (std::max(FillCorner->Column, FillEnd.Column) + 1) * CellSize;
        const double bottom = (std::max(FillCorner->Row, FillEnd.Row) + 1) * CellSize;
        Renderer->DrawRect(false, left, top, right, bottom, MarksZ);
    } else if (Hover) {
        Renderer->DrawRect(false, Hover->Column * CellSize, Hover->Row * CellSize,
                           (Hover->Column + 1) * CellSize, (Hover->Row + 1) * CellSize, MarksZ);
    }
}

void TEditorState::DrawPanel() const {
    const double top = PanelPlace_ == ppTop ? 0 : FieldHeight - PanelHeight;
    Renderer->SetBlendNormal();
    GL().Color4f(0.02f, 0.05f, 0.12f, PanelOpacity);
    Renderer->DrawRect(true, PanelLeft, top, PanelRight, top + PanelHeight, PanelZ);
    Renderer->SetBlendNone();
    double baseline = top + PanelMargin + TextHeight;
    baseline = DrawToolLine(baseline);
    baseline = DrawNumbers(baseline);
    baseline = DrawTexts(baseline);
    DrawProofLine(baseline);
}

// The six tools with their colours, the chosen one in brass; the fill mode.
double TEditorState::DrawToolLine(double baseline) const {
    double left = PanelLeft + PanelMargin;
    for (std::size_t type = 0; type < CellTypeCount; ++type) {
        SetColour(CellColours[type]);
        Renderer->DrawRect(true, left, baseline - SwatchSize, left + SwatchSize, baseline, PanelTextZ);
        const std::string label = FormatText("%zu %s", type, PlayerText(ToolNames[type]).data());
        Renderer->DrawCaption(label, left + SwatchSize + 4, baseline, PanelTextZ, TextHeight,
                              type == Tool_ ? Brass : Pale);
        left += ToolSpacing;
    }
    baseline += LineSpacing;
    Renderer->DrawCaption(PlayerText(FillMode_ ? FillOnText : FillOffText), PanelLeft + PanelMargin, baseline,
                          PanelTextZ, TextHeight, FillMode_ ? Brass : Pale);
    const std::string undo =
        PlayerFormat(UndoFormat, Editor_.History().UndoSteps(), Editor_.History().RedoSteps());
    Renderer->DrawCaption(undo, PanelLeft + NumberColumnWidth, baseline, PanelTextZ, TextHeight, Pale);
    return baseline + LineSpacing;
}

// The ten numbers in two columns, each with its unit and range; the chosen
// one (Up and Down) in brass.
double TEditorState::DrawNumbers(double baseline) const {
    const TStageDraft& draft = Editor_.Draft();
    constexpr std::size_t Rows = StageNumberCount / 2;
    for (std::size_t i = 0; i < StageNumberCount; ++i) {
        const auto id = static_cast<TStageNumberId>(i);
        const TStageNumberKind& kind = StageNumberKinds[id];
        const TNumberRange range = draft.Range(id);
        const std::string line =
            PlayerFormat(NumberFormat, PlayerText(kind.Label).data(), draft.NumberText(id).c_str(),
                         PlayerText(kind.Unit).data(), StageNumberText(id, range.Min).c_str(),
                         StageNumberText(id, range.Max).c_str());
        const double left = PanelLeft + PanelMargin + static_cast<double>(i / Rows) * NumberColumnWidth;
        const bool chosen = id == ChosenNumber_;
        Renderer->DrawCaption(chosen ? "> " + line + " <" : "  " + line, left,
                              baseline + static_cast<double>(i % Rows) * LineSpacing, PanelTextZ, TextHeight,
                              chosen ? Brass : White);
    }
    return baseline + Rows * LineSpacing;
}

double TEditorState::DrawTexts(double baseline) const {
    const auto text = [&](TTypedText which, const std::string& kept) {
        return Typing_ == which ? PlayerFormat(TypingFormat, TypedText_.c_str()) : kept;
    };
    const double left = PanelLeft + PanelMargin;
    Renderer->DrawCaption(PlayerFormat(NameFormat, text(ttName, Editor_.Draft().Name()).c_str()), left,
                          baseline, PanelTextZ, TextHeight, Typing_ == ttName ? Brass : White);
    baseline += LineSpacing;
    Renderer->DrawCaption(PlayerFormat(HintFormat, text(ttHint, Editor_.Draft().Hint()).c_str()), left,
                          baseline, PanelTextZ, TextHeight, Typing_ == ttHint ? Brass : White);
    return baseline + LineSpacing;
}

void TEditorState::DrawProofLine(double baseline) const {
    const double left = PanelLeft + PanelMargin;
    switch (Editor_.ProofState()) {
    case psNone:
        Renderer->DrawCaption(PlayerText(UnprovedText), left, baseline, PanelTextZ, TextHeight, Pale);
        break;
    case psVoided:
        Renderer->DrawCaption(PlayerText(VoidText), left, baseline, PanelTextZ, TextHeight, Warning);
        break;
    case psProved: {
        const TStageSource proved = ProvedStageSource(Editor_.Draft(), *Editor_.Proof());
        Renderer->DrawCaption(PlayerFormat(ProvedFormat, proved.ParCells.c_str(), proved.ParSeconds.c_str(),
                                           Host.PublishFolder().c_str()),
                              left, baseline, PanelTextZ, TextHeight, Proved);
        break;
    }
    }
}
