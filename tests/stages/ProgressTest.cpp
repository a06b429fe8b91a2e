// The progress file: results kept across runs, the better one winning, a file
// that cannot be read set aside whole while the progress starts clean, and a
// damaged section dropped alone.

#include "StageTestFolder.h"
#include "game/stages/ProgressUnit.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class ProgressFile : public StageTestFolder {
protected:
    void SetUp() override {
        StageTestFolder::SetUp();
        file = (root / "progress.ini").string();
    }

    std::string file;
};

} // namespace

TEST_F(ProgressFile, AFirstRunHasNothingClearedAndAClearIsKeptAcrossRuns) {
    {
        TProgress progress(file);
        EXPECT_FALSE(progress.IsCleared("0001"));
        EXPECT_FALSE(progress.Best("0001"));
        progress.RecordClear("0001", {5, 2000}, 1);
    }
    const TProgress again(file);
    EXPECT_TRUE(again.IsCleared("0001"));
    EXPECT_FALSE(again.IsCleared("0002"));
    ASSERT_TRUE(again.Best("0001"));
    EXPECT_EQ(again.Best("0001")->Cells, 5);
    EXPECT_EQ(again.Best("0001")->Frames, 2000);
}

TEST_F(ProgressFile, TheBestIsFewestCellsThenFewestFrames) {
    TProgress progress(file);
    const struct {
        TStageResult Played;
        TStageResult Best;
    } plays[] = {
        {{5, 2000}, {5, 2000}}, {{6, 100}, {5, 2000}}, // more cells lose, however fast
        {{5, 2100}, {5, 2000}},                        // as many cells, slower
        {{5, 1900}, {5, 1900}}, {{4, 2500}, {4, 2500}},
    };
    for (const auto& play : plays) {
        progress.RecordClear("0003", play.Played, 1);
        EXPECT_EQ(TProgress(file).Best("0003")->Cells, play.Best.Cells);
        EXPECT_EQ(TProgress(file).Best("0003")->Frames, play.Best.Frames);
    }
}

TEST_F(ProgressFile, ADamagedFileIsSetAsideWholeAndTheProgressStartsClean) {
    const std::pair<const char*, std::string> damaged[] = {
        {"no text", std::string("[0001]\nCleared = 1\n\0\0\0", 22)},
    };
    for (const auto& [what, bytes] : damaged) {
        fs::remove(file + ".bad");
        std::ofstream(file, std::ios::binary) << bytes;
        TProgress progress(file);
        EXPECT_FALSE(progress.IsCleared("0001")) << what;
        EXPECT_FALSE(fs::exists(file)) << what;
        EXPECT_EQ(ReadAll(file + ".bad"), bytes) << what;
        progress.RecordClear("0002", {1, 1}, 1);
        EXPECT_EQ(ReadAll(file + ".bad"), bytes) << what << ": the damaged file is never written";
        EXPECT_TRUE(TProgress(file).IsCleared("0002")) << what;
    }
}

TEST_F(ProgressFile, ASectionHoldingNoCountIsDroppedAloneAndACopyOfTheFileIsKept) {
    const std::pair<const char*, std::string> damaged[] = {
        {"no count", "Cleared = yes\n"},
        {"a negative count", "Cleared = 1\nBestCells = -4\nBestFrames = 10\n"},
        {"a count too large", "Cleared = 1\nBestFrames = 99999999999\n"},
        {"negative stars", "Cleared = 1\nStars = -1\n"},
    };
    for (const auto& [what, section] : damaged) {
        fs::remove_all(root);
        fs::create_directories(root);
        const std::string bytes =
            "[0001]\nCleared = 1\nBestCells = 4\nBestFrames = 1520\nStars = 2\n[0002]\n" + section +
            "[0003]\nCleared = 1\n";
        std::ofstream(file, std::ios::binary) << bytes;
        {
            const TProgress progress(file);
            EXPECT_FALSE(progress.IsCleared("0002")) << what;
            EXPECT_EQ(ReadAll(file + ".bad"), bytes) << what;
        }
        const TProgress again(file);
        EXPECT_FALSE(fs::exists(file + ".bad.1")) << what << ": the file was saved whole";
        EXPECT_FALSE(again.IsCleared("0002")) << what;
        ASSERT_TRUE(again.Best("0001")) << what;
        EXPECT_EQ(again.Best("0001")->Cells, 4) << what;
        EXPECT_EQ(again.Best("0001")->Frames, 1520) << what;
        EXPECT_EQ(again.Stars("0001"), 2) << what;
        EXPECT_TRUE(again.IsCleared("0003")) << what << ": the section after the damaged one";
    }
}

TEST_F(ProgressFile, AFolderInItsPlaceIsSetAsideToo) {
    fs::create_directory(file);
    TProgress progress(file);
    EXPECT_TRUE(fs::is_directory(file + ".bad"));
    progress.RecordClear("0001", {1, 1}, 1);
    EXPECT_TRUE(TProgress(file).IsCleared("0001"));
}

TEST_F(ProgressFile, EachDamagedFileIsKeptBesideTheEarlierOnes) {
    const std::string first = "[0001]\nCleared = yes\n";
    const std::string second = "[0002]\nCleared = no\n";
    std::ofstream(file) << first;
    TProgress{file};
    std::ofstream(file) << second;
    TProgress{file};
    EXPECT_EQ(ReadAll(file + ".bad"), first) << "never written over";
    EXPECT_EQ(ReadAll(file + ".bad.1"), second);
}

TEST_F(ProgressFile, ADamagedFileThatCannotBeSetAsideIsNeverOverwritten) {
    // The aside name is one byte longer than a file name may be.
    file = (root / (std::string(251, 'p') + ".ini")).string();
    const std::string bytes = "[0001]\nCleared = many\n";
    std::ofstream(file) << bytes;
    TProgress progress(file);
    progress.RecordClear("0002", {1, 1}, 1);
    EXPECT_TRUE(progress.IsCleared("0002")) << "kept in memory for this run";
    EXPECT_EQ(ReadAll(file), bytes);
}

TEST_F(ProgressFile, AFailedSaveRaisesNamingTheFile) {
    TProgress progress((root / "missing" / "progress.ini").string());
    try {
        progress.RecordClear("0001", {1, 1}, 1);
        FAIL() << "a save into a missing folder succeeded";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("missing/progress.ini"), std::string::npos) << error.what();
    }
}
