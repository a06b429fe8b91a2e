// The editor's model without a window: the stage's cells and the fill, the
// steps taken back and done again, the numbers within their ranges, the
// texts within their limits, and the proof with the par it gives.

#include "game/states/DraftStageUnit.h"
#include "game/states/StageEditorUnit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::uint32_t Seed = 12345;
std::int32_t RandomBelow(std::int32_t n) {
    Seed = Seed * 1664525u + 1013904223u;
    return static_cast<std::int32_t>((std::uint64_t{Seed} * static_cast<std::uint32_t>(n)) >> 32);
}

TCellPos RandomCell() {
    return {RandomBelow(MapColumns), RandomBelow(MapRows)};
}

TCellType RandomType() {
    return static_cast<TCellType>(RandomBelow(CellTypeCount));
}

// Each stage a step of the editor leaves, by one random step of any kind.
void RandomStep(TStageEditor& editor) {
    switch (RandomBelow(4)) {
    case 0:
        editor.BeginStroke();
        for (int i = 0; i < 5; ++i)
            editor.PaintCell(RandomCell(), RandomType());
        break;
    case 1: editor.Fill(RandomCell(), RandomCell(), RandomType()); break;
    case 2:
        editor.SetNumber(static_cast<TStageNumberId>(RandomBelow(StageNumberCount)), RandomBelow(3000));
        break;
    default: editor.SetName("step " + std::to_string(RandomBelow(1000000))); break;
    }
}

TReplay ReplayEditing(std::vector<TCellPos> cells) {
    TReplay replay;
    replay.Stage = "test-play";
    for (const TCellPos cell : cells)
        replay.Steps.push_back({10, TBoxAction{akCell, cell.Column, cell.Row, ctBlock}});
    replay.EndFrame = 1000;
    return replay;
}

} // namespace

TEST(StageDraft, BlankStageIsAFramedTowerWithAPipe) {
    const TStageDraft blank = TStageDraft::Blank();
    int sources = 0;
    for (std::int32_t column = 0; column < MapColumns; ++column)
        for (std::int32_t row = 0; row < MapRows; ++row) {
            const TCellType type = blank.Cell({column, row});
            const bool frame = row < DraftPictureRows && (column < DraftGaugeColumns || column == 63);
            if (frame) {
                ASSERT_EQ(type, ctWall) << column << "," << row;
            } else if (column == 64 || row == 48) {
                ASSERT_EQ(type, ctEmpty) << column << "," << row;
            }
            sources += type == ctSource && row == 0;
        }
    EXPECT_GT(sources, 0);
    EXPECT_TRUE(blank.Name().empty());
}

// Only the cells inside the pictures, off the gauges and the frame, change.
TEST(StageDraft, FillPaintsTheEditableCellsOfItsRectangleOnly) {
    for (int round = 0; round < 300; ++round) {
        TStageDraft draft = TStageDraft::Blank();
        const TStageDraft before = draft;
        const TCellPos a = RandomCell(), b = RandomCell();
        const TCellType type = RandomType();
        const std::int32_t changed = draft.Fill(a, b, type);
        std::int32_t differing = 0;
        for (std::int32_t column = 0; column < MapColumns; ++column)
            for (std::int32_t row = 0; row < MapRows; ++row) {
                const TCellPos cell{column, row};
                const bool inside = column >= std::min(a.Column, b.Column) &&
                                    column <= std::max(a.Column, b.Column) && row >= std::min(a.Row, b.Row) &&
                                    row <= std::max(a.Row, b.Row);
                const bool editable = column >= 4 && column <= 62 && row <= 47;
                ASSERT_EQ(draft.Cell(cell), inside && editable ? type : before.Cell(cell))
                    << column << "," << row;
                differing += draft.Cell(cell) != before.Cell(cell);
            }
        ASSERT_EQ(changed, differing);
    }
}

TEST(StageDraft, NumbersStayWithinRangesThatBoundEachOther) {
    TStageDraft draft = TStageDraft::Blank();
    for (int round = 0; round < 2000; ++round) {
        draft.SetNumber(static_cast<TStageNumberId>(RandomBelow(StageNumberCount)), RandomBelow(4000) - 500);
        for (std::size_t i = 0; i < StageNumberCount; ++i) {
            const TStageNumberKind& kind = StageNumberKinds[i];
            ASSERT_GE(draft.Number(static_cast<TStageNumberId>(i)), kind.Min) << kind.Key;
            ASSERT_LE(draft.Number(static_cast<TStageNumberId>(i)), kind.Max) << kind.Key;
        }
        ASSERT_LE(draft.Number(snBlue), draft.Number(snPool));
        ASSERT_LE(draft.Number(snClear), draft.Number(snBlue));
        ASSERT_LE(draft.Number(snRedLimit), std::max(1, draft.Number(snPool) - draft.Number(snBlue)));
    }
}

TEST(StageDraft, RangesAndNumberTexts) {
    TStageDraft draft = TStageDraft::Blank();
    draft.SetNumber(snPool, 600);
    draft.SetNumber(snBlue, 450);
    EXPECT_EQ(draft.Range(snBlue).Max, 600);
    EXPECT_EQ(draft.Range(snClear).Max, 450);
    EXPECT_EQ(draft.Range(snRedLimit).Max, 150);
    draft.SetNumber(snPool, 300); // the blue water and the clear follow
    EXPECT_EQ(draft.Number(snBlue), 300);
    EXPECT_EQ(draft.Number(snClear), 300);
    EXPECT_EQ(draft.Range(snRedLimit).Max, 1); // no red water: the limit stays a count
    EXPECT_EQ(draft.NumberText(snGravity), "1.2");
    EXPECT_EQ(draft.NumberText(snDecay), "0.98");
    EXPECT_EQ(draft.NumberText(snMaxSpeed), "7.0");
    EXPECT_EQ(StageNumberText(snSwap, 5), "0.05");
    EXPECT_EQ(StageNumberText(snSwap, 100), "1.00");
}

// A shipped stage's numbers, read as doubles, come back as the same counts;
// the player's edits are left out of a copy.
TEST(StageDraft, CopyOfALoadedStageKeepsItsOwnMapAndNumbers) {
    TGameProfiler profiler;
    TVaporelBox box(profiler);
    box.LoadStage("stages/0001/");
    TMapCell edited = box.GetCell(30, 30);
    edited.CellType = edited.CellType == ctEmpty ? ctBlock : ctEmpty;
    box.SetCell(30, 30, edited);
    const TStageDraft copy = TStageDraft::FromBox(box, "The Tower", "A hint");
    EXPECT_EQ(copy.Cell({30, 30}), box.StageCellTypes()[30][30]);
    EXPECT_EQ(copy.Number(snPool), box.Parameters().WaterParticleNum);
    EXPECT_EQ(copy.NumberText(snGravity), "1.2");
    EXPECT_EQ(copy.NumberText(snDecay), "0.98");
    EXPECT_EQ(copy.Name(), "The Tower");
}

TEST(StageDraft, TextsWithinTheirLimits) {
    std::string name;
    for (std::size_t i = 0; i < MaxStageNameLetters; ++i)
        name += "水"; // three bytes, one letter
    EXPECT_TRUE(TStageDraft::FitsName(name));
    EXPECT_FALSE(TStageDraft::FitsName(name + "a"));
    EXPECT_TRUE(TStageDraft::FitsHint(std::string(MaxStageHintLetters, 'h')));
    EXPECT_FALSE(TStageDraft::FitsHint(std::string(MaxStageHintLetters + 1, 'h')));
    EXPECT_FALSE(TStageDraft::FitsName("a--b"));
    EXPECT_TRUE(TStageDraft::FitsHint("a--b"));
    EXPECT_FALSE(TStageDraft::FitsHint("tab\there"));
    EXPECT_FALSE(TStageDraft::FitsName("cut \xE6\xB0"));  // a letter cut short
    EXPECT_FALSE(TStageDraft::FitsName("stray \x80"));    // a continuation without a lead
    EXPECT_FALSE(TStageDraft::FitsName("long \xC0\xAF")); // an overlong '/'
    TStageDraft draft = TStageDraft::Blank();
    EXPECT_FALSE(draft.SetName(name + "a"));
    EXPECT_TRUE(draft.Name().empty());
}

// Every step goes back and comes again, through the whole depth.
TEST(StageEditor, UndoAndRedoThroughEveryStepOfTheHistory) {
    TStageEditor editor;
    std::vector<TStageDraft> stages{editor.Draft()};
    while (stages.size() <= TDraftHistory::MaxSteps + 20) {
        RandomStep(editor);
        if (!(editor.Draft() == stages.back()))
            stages.push_back(editor.Draft());
    }
    ASSERT_GE(TDraftHistory::MaxSteps, 100);
    for (std::size_t back = 1; back <= TDraftHistory::MaxSteps; ++back) {
        ASSERT_TRUE(editor.Undo());
        ASSERT_EQ(editor.Draft(), stages[stages.size() - 1 - back]) << back;
    }
    EXPECT_FALSE(editor.Undo()); // the oldest steps were pushed out
    for (std::size_t forth = TDraftHistory::MaxSteps; forth-- > 0;) {
        ASSERT_TRUE(editor.Redo());
        ASSERT_EQ(editor.Draft(), stages[stages.size() - 1 - forth]);
    }
    EXPECT_FALSE(editor.Redo());
}

TEST(StageEditor, AStrokeIsOneStepAndANewStepDropsWhatWasUndone) {
    TStageEditor editor;
    const TStageDraft blank = editor.Draft();
    editor.BeginStroke();
    for (std::int32_t column = 10; column < 20; ++column)
        EXPECT_TRUE(editor.PaintCell({column, 20}, ctBlock));
    EXPECT_FALSE(editor.PaintCell({0, 20}, ctBlock)); // under the gauges
    EXPECT_EQ(editor.History().UndoSteps(), 1);
    editor.SetName("A");
    editor.Undo();
    EXPECT_EQ(editor.History().RedoSteps(), 1);
    editor.BeginStroke();
    editor.PaintCell({30, 30}, ctOutlet);
    EXPECT_EQ(editor.History().RedoSteps(), 0);
    editor.Undo();
    editor.Undo();
    EXPECT_EQ(editor.Draft(), blank);
}

TEST(StageEditor, AnEditOfTheMapOrANumberVoidsTheProofAndUndoingItRestoresIt) {
    TStageEditor editor;
    EXPECT_EQ(editor.ProofState(), psNone);
    editor.KeepProof(ReplayEditing({{10, 10}}), 600);
    EXPECT_EQ(editor.ProofState(), psProved);
    editor.SetHint("Texts change nothing of the play");
    EXPECT_EQ(editor.ProofState(), psProved);
    editor.BeginStroke();
    editor.PaintCell({12, 12}, ctDrain);
    EXPECT_EQ(editor.ProofState(), psVoided);
    EXPECT_EQ(editor.Proof(), nullptr);
    editor.Undo();
    ASSERT_NE(editor.Proof(), nullptr);
    editor.StepNumber(snGravity, 1);
    EXPECT_EQ(editor.ProofState(), psVoided);
}

// The published text form reads back as written, with the proof's par.
TEST(StageEditor, AProvedStagesTextFormReadsBackWithTheParOfItsProof) {
    TStageDraft draft = TStageDraft::Blank();
    draft.SetName("雨の塔");
    draft.SetHint("Let it pour");
    draft.SetCell({20, 47}, ctOutlet);
    draft.SetNumber(snGravity, 15);
    for (const std::int32_t clear : {1, 59, 60, 61, 600, 4321}) {
        const TStageProof proof{draft, ReplayEditing({{10, 10}, {11, 10}, {10, 10}}), clear};
        const TStageSource source = ProvedStageSource(draft, proof);
        const TStageSource read = ParseStageSource(FormatStageSource(source), "draft");
        ASSERT_EQ(read, source);
        EXPECT_EQ(read.Map[47][20], 'O');
        EXPECT_EQ(read.ParCells, "2"); // a cell edited twice counts once
        EXPECT_GE(std::stod(read.ParSeconds) * 60, clear + 2 * 60) << clear;
    }
}
