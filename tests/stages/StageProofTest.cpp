// Whether a proof holds: a shipped stage's solution does; a table of proofs
// that do not is refused, each for its own reason; the check leaves the
// program's random generator as it was; a share file whose proof does not
// hold is refused naming the file.

#include "game/stages/ShareFileUnit.h"
#include "game/stages/StagePackUnit.h"
#include "game/stages/StageProofUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

TStageSource SourceOf(const std::string& stage) {
    return ReadStageSource(std::string(VAPOREL_STAGE_SOURCES) + "/" + stage + ".txt");
}

std::string StageFolder(const std::string& stage) {
    return std::string(VAPOREL_SHIPPED_STAGES) + "/" + stage + "/";
}

TReplay SolutionOf(const std::string& stage) {
    return LoadReplay(StageFolder(stage) + "solution.txt");
}

// 0019 clears by itself at frame 446 and loses at 703 unless the outlet is
// emptied at 560: its solution's one step.
TReplay ClearLostBeforeFinished() {
    TReplay proof = SolutionOf("0019");
    proof.Steps.clear();
    proof.EndFrame = MaxReplayFrames;
    const TProofOutcome lost = PlayProof(SourceOf("0019"), proof);
    proof.EndFrame = lost.FinishedFrame;
    proof.EndHash = lost.Hash;
    return proof;
}

} // namespace

TEST(StageProof, AShippedSolutionKeepsItsClearToFinishedAtItsHash) {
    const TProofOutcome outcome = PlayProof(SourceOf("0005"), SolutionOf("0005"));
    EXPECT_TRUE(outcome.Holds()) << outcome.Fault;
    EXPECT_EQ(outcome.ClearFrame, 208);
    EXPECT_EQ(outcome.FinishedFrame, 568);
    EXPECT_EQ(outcome.State, bsCleared);
}

TEST(StageProof, AProofThatDoesNotKeepTheClearIsRefusedWithItsReason) {
    const TReplay solution = SolutionOf("0005");
    TReplay wrongHash = solution, cut = solution, runsOn = solution, noSteps = solution;
    wrongHash.EndHash ^= 1;
    cut.EndFrame = 300; // cleared at 208, Finished comes at 568
    runsOn.EndFrame = 600;
    noSteps.Steps.clear();
    const struct {
        const char* What;
        std::string Stage;
        TReplay Proof;
        std::string Expected;
    } cases[] = {
        {"wrong hash", "0005", wrongHash,
         "the water's hash at frame 568 is c1e2e36fad203bf5, the proof says"},
        {"cut before Finished", "0005", cut,
         "the proof ends at frame 300, before the clear of frame 208 has held to Finished"},
        {"runs past Finished", "0005", runsOn,
         "the play finished at frame 568, before the proof's end at frame 600"},
        {"never cleared", "0005", noSteps, "the proof does not clear the stage by its end at frame 568"},
        {"another stage's proof", "0004", solution, "the proof does not clear the stage"},
        {"clear lost before Finished", "0019", ClearLostBeforeFinished(),
         "the clear of frame 446 is lost before Finished"},
    };
    for (const auto& c : cases) {
        const TProofOutcome outcome = PlayProof(SourceOf(c.Stage), c.Proof);
        EXPECT_FALSE(outcome.Holds()) << c.What;
        EXPECT_NE(outcome.Fault.find(c.Expected), std::string::npos)
            << c.What << ": expected '" << c.Expected << "' in '" << outcome.Fault << "'";
    }
}

TEST(StageProof, TheCheckLeavesTheRandomGeneratorAsItWas) {
    SetRandSeed(123456789);
    PlayProof(SourceOf("0005"), SolutionOf("0005"));
    EXPECT_EQ(RandSeed(), 123456789u) << "a check during a play would change that play's water";
}

TEST(StageProof, AShareFileWhoseProofDoesNotHoldIsRefusedNamingTheFile) {
    const fs::path folder = fs::path(testing::TempDir()) / "stage_proof_files";
    fs::remove_all(folder);
    TReplay wrong = SolutionOf("0005");
    wrong.EndHash ^= 0x100;
    const std::string good = WriteShareFile(SourceOf("0005"), SolutionOf("0005"), folder.string());
    const std::string bad = WriteShareFile(SourceOf("0005"), wrong, folder.string());
    EXPECT_EQ(CheckShareFile(good).Outcome.FinishedFrame, 568);
    try {
        CheckShareFile(bad);
        FAIL() << "a wrong hash was taken";
    } catch (const EShareFileError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(bad + ": the proof does not hold: the water's hash", 0), 0u)
            << error.what();
    }
}

TEST(StagePack, AShippedFolderGivesItsTextFormAndAUserFolderItsProofsPar) {
    EXPECT_EQ(StageSourceOfFolder(StageFolder("0005"), SolutionOf("0005")), SourceOf("0005"));

    const fs::path user = fs::path(testing::TempDir()) / "stage_pack_user";
    fs::remove_all(user);
    fs::create_directories(user);
    for (const char* file : {"Map.png", "data.xml"})
        fs::copy_file(StageFolder("0005") + file, user / file);
    const TStageSource stage = StageSourceOfFolder(user.string(), SolutionOf("0005"));
    EXPECT_EQ(stage.ParCells, "4") << "the proof's edited cells";
    EXPECT_EQ(stage.ParSeconds, "6.0") << "cleared at frame 208: 4 s rounded up, 2 s more";
}
