// Every shipped stage shared with its solution as the proof: the folder packs
// to its own text form, and the written share file checks as holding.

#include "game/stages/ShareFileUnit.h"
#include "game/stages/StageCourseUnit.h"
#include "game/stages/StagePackUnit.h"
#include "game/stages/StageProofUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

TEST(ShareRoundTrip, EveryShippedStagePacksAndVerifiesWithItsSolution) {
    const fs::path out = fs::path(testing::TempDir()) / "share_round_trip";
    fs::remove_all(out);
    int stages = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(VAPOREL_SHIPPED_STAGES)) {
        if (!entry.is_directory())
            continue;
        ++stages;
        const std::string name = entry.path().filename().string();
        const TReplay solution = LoadReplay((entry.path() / "solution.txt").string());
        const TStageSource stage = StageSourceOfFolder(entry.path().string(), solution);
        EXPECT_EQ(stage, ReadStageSource(std::string(VAPOREL_STAGE_SOURCES) + "/" + name + ".txt")) << name;
        const std::string file = WriteShareFile(stage, solution, out.string());
        try {
            const TCheckedStage checked = CheckShareFile(file);
            EXPECT_EQ(checked.Shared.Stage, stage) << name;
            EXPECT_EQ(checked.Outcome.FinishedFrame, solution.EndFrame) << name;
        } catch (const EShareFileError& error) {
            ADD_FAILURE() << name << ": " << error.what();
        }
    }
    const std::size_t course = ReadCourse(std::string(VAPOREL_SHIPPED_STAGES) + "/" + CourseFileName).size();
    EXPECT_EQ(static_cast<std::size_t>(stages), course) << "every stage of the course, no other folder";
}
