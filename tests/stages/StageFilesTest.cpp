// The stage list over folders of its own, a map saved as a user stage and
// loaded back, and the plays: the choice, the replay and the progress a play
// leaves.

#include "BoxSetup.h"
#include "StageTestFolder.h"
#include "game/stages/PlayerCellsUnit.h"
#include "game/stages/ShareFileUnit.h"
#include "game/stages/StageListUnit.h"
#include "game/stages/StagePackUnit.h"
#include "game/stages/StagePlaysUnit.h"
#include "game/stages/StageProofUnit.h"
#include "game/stages/UserStageUnit.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>

namespace fs = std::filesystem;

namespace {

class StageFiles : public StageTestFolder {
protected:
    void SetUp() override {
        StageTestFolder::SetUp();
        fs::create_directories(root / "shipped");
        SetRandSeed(0);
        box = std::make_unique<TVaporelBox>(profiler);
    }

    // A copy of the shipped stage under `folder`, with data.xml's <stage>
    // element given `extra` elements, `clearAt` blue drops to clear and
    // `loseAt` red drops to lose.
    fs::path MakeStage(const fs::path& folder, const std::string& extra = "", int clearAt = 300,
                       int loseAt = 150) {
        fs::create_directories(folder);
        for (const fs::directory_entry& entry : fs::directory_iterator(VAPOREL_STAGE_DIR))
            fs::copy_file(entry.path(), folder / entry.path().filename());
        std::string data = ReadAll(folder / "data.xml");
        data = std::regex_replace(data, std::regex("<blue_water_num_for_clear>[0-9]*<"),
                                  "<blue_water_num_for_clear>" + std::to_string(clearAt) + "<");
        data = std::regex_replace(data, std::regex("<etc_water_num_for_end>[0-9]*<"),
                                  "<etc_water_num_for_end>" + std::to_string(loseAt) + "<");
        data.insert(data.find("<stage>") + 7, extra);
        std::ofstream(folder / "data.xml", std::ios::trunc) << data;
        return folder;
    }

    // The course of the shipped folder: one chapter of `stages` in this order.
    void WriteCourse(const std::vector<std::string>& stages) const {
        std::ofstream course(root / "shipped" / CourseFileName);
        course << "chapter Test\n";
        for (const std::string& stage : stages)
            course << stage << "\n";
    }

    // Runs the box to the frame that sets Finished: the result is final.
    void PlayToFinished() const {
        while (!box->Finished())
            box->Execute();
    }

    TGameProfiler profiler;
    std::unique_ptr<TVaporelBox> box;
};

std::vector<std::string> Names(const TStageList& list) {
    std::vector<std::string> names;
    for (const TStageInfo& stage : list.Stages())
        names.push_back(stage.Name);
    return names;
}

} // namespace

TEST_F(StageFiles, TheListHasTheCourseInItsOrderThenTheUsersByNumber) {
    MakeStage(root / "shipped" / "0002", "<name>Ramps</name><hint>Lead it down</hint>");
    MakeStage(root / "shipped" / "0001");
    fs::remove(root / "shipped" / "0001" / ParFileName);
    MakeStage(root / "shipped" / "0003"); // not in the course: not offered
    std::ofstream(root / "shipped" / "0002" / ParFileName)
        << "<par><cells>2</cells><seconds>9.5</seconds></par>";
    std::ofstream(root / "shipped" / CourseFileName) << "chapter Walls\n0002\nchapter Red\n0001\n";
    MakeStage(root / "user" / "user-0010");
    MakeStage(root / "user" / "user-0009");
    MakeStage(root / "user" / "0004"); // a shipped name among the user's: not a user stage
    MakeStage(root / "user" / "user-0011");
    std::ofstream(root / "user" / "user-0011" / "data.xml", std::ios::trunc) << "<stage>";
    const TStageList list((root / "shipped").string(), (root / "user").string());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"0002", "0001", "user-0009", "user-0010"}))
        << "a user stage that cannot be read is left out";
    EXPECT_EQ(list.CourseSize(), 2u);
    const TStageInfo& ramps = list.Stages()[0];
    EXPECT_EQ(ramps.Title, "Ramps");
    EXPECT_EQ(ramps.Hint, "Lead it down");
    EXPECT_EQ(ramps.Folder, (root / "shipped" / "0002").string() + "/");
    EXPECT_EQ(ramps.Par, (TStagePar{2, 570}));
    EXPECT_FALSE(ramps.IsUser);
    EXPECT_EQ(list.Stages()[1].Place, 2u);
    EXPECT_EQ(list.Stages()[1].Chapter, "Red");
    EXPECT_FALSE(list.Stages()[1].Par);
    EXPECT_TRUE(list.Stages()[2].IsUser);
    EXPECT_EQ(list.Stages()[2].Place, 0u);
    EXPECT_EQ(list.IndexOf("user-0010"), 3u);
    EXPECT_FALSE(list.IndexOf("user-0011"));
    EXPECT_EQ(list.NextUserStageName(), "user-0012") << "a stage left out still holds its number";
    EXPECT_EQ(StageFolderName("stages/0001/"), "0001");
    EXPECT_EQ(StageFolderName("user-0004"), "user-0004");
}

TEST(UserStageOrder, NamesAsTheFolderGivesThemComeInTheOrderOfTheirNumbers) {
    const std::vector<std::string> unsorted = {"user-10001", "user-1001", "user-0002", "notes",   "user-1000",
                                               "user-999",   "0003",      "user-2",    "user-1x", "user-"};
    EXPECT_EQ(UserStagesInOrder(unsorted),
              (std::vector<std::string>{"user-2", "user-0002", "user-999", "user-1000", "user-1001",
                                        "user-10001"}));
}

TEST(UserStageOrder, NumbersGoOnPastThirtyTwoBitsAndEndWithAnError) {
    EXPECT_EQ(UserStageNumber("user-2147483647"), 2147483647u);
    EXPECT_EQ(NextUserStageName(2147483647), "user-2147483648");
    EXPECT_EQ(NextUserStageName(9999), "user-10000");
    EXPECT_EQ(NextUserStageName(0), "user-0001");
    EXPECT_EQ(UserStageNumber(NextUserStageName(MaxUserStageNumber - 1)), MaxUserStageNumber)
        << "every name the save gives is one the list reads back";
    EXPECT_FALSE(UserStageNumber("user-1000000000000000000")) << "nineteen digits";
    EXPECT_THROW(NextUserStageName(MaxUserStageNumber), Exception);
}

// Each save takes the number after the highest in the folder, whatever the
// gaps below it and however many digits; a list read again agrees.
TEST_F(StageFiles, ASaveTakesTheNumberAfterTheHighestAndTheNextSaveTheOneAfterThat) {
    const struct {
        std::vector<std::string> Folder;
        std::vector<std::string> Saves;
    } rows[] = {
        {{}, {"user-0001", "user-0002"}},
        {{"user-0001", "user-0003"}, {"user-0004", "user-0005"}},
        {{"user-0002", "user-7"}, {"user-0008", "user-0009"}},
        {{"user-9999"}, {"user-10000", "user-10001"}},
        {{"user-0998", "user-0999"}, {"user-1000", "user-1001"}},
        {{"user-0010", "0011", "notes-0012"}, {"user-0011", "user-0012"}},
    };
    box->LoadStage(VAPOREL_STAGE_DIR);
    box->Restart();
    const TReplay play{"0001", 0, {}, 0, box->WaterHash()};
    for (const auto& row : rows) {
        const fs::path users = root / "user";
        fs::remove_all(users);
        for (const std::string& name : row.Folder)
            MakeStage(users / name);
        TStageList list((root / "no-shipped").string(), users.string());
        for (const std::string& expected : row.Saves) {
            const std::string name = list.NextUserStageName();
            EXPECT_EQ(name, expected) << row.Folder.size() << " stages in the folder";
            SaveUserStage(*box, play, users.string(), name);
            list.AddUserStage(name);
            EXPECT_EQ(TStageList((root / "no-shipped").string(), users.string()).NextUserStageName(),
                      list.NextUserStageName())
                << "after " << name;
        }
        EXPECT_EQ(Names(list).back(), row.Saves.back()) << "the last save ends the list";
    }
}

TEST_F(StageFiles, AShippedStageThatCannotBeReadStopsTheListNamingItsFile) {
    MakeStage(root / "shipped" / "0001");
    WriteCourse({"0001"});
    fs::remove(root / "shipped" / "0001" / "data.xml");
    fs::create_directory(root / "shipped" / "0001" / "data.xml");
    try {
        TStageList((root / "shipped").string(), (root / "nowhere").string());
        FAIL() << "a damaged shipped stage was listed";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("0001/data.xml"), std::string::npos) << error.what();
    }
}

TEST_F(StageFiles, ACourseLineNamingAMissingFolderIsNamedWithTheMissingFile) {
    MakeStage(root / "shipped" / "0001");
    WriteCourse({"0001", "0099"});
    const std::string course = (root / "shipped" / CourseFileName).string();
    try {
        TStageList((root / "shipped").string(), (root / "nowhere").string());
        FAIL() << "a course with a missing stage was listed";
    } catch (const Exception& error) {
        EXPECT_EQ(std::string(error.what())
                      .rfind(course + ":3 names the stage 0099: cannot open " +
                                 (root / "shipped" / "0099" / "data.xml").string(),
                             0),
                  0u)
            << error.what();
    }
}

TEST_F(StageFiles, ASavedMapLoadsBackToTheEditedMap) {
    box->LoadStage(VAPOREL_STAGE_DIR);
    box->Restart();
    const TCellType types[] = {ctEmpty, ctBlock, ctWall, ctOutlet, ctDrain, ctSource};
    for (int i = 0; i < CellTypeCount; ++i)
        box->Apply({akCell, 10 + i, 20, types[i]});
    box->Apply({akCell, MapColumns - 1, MapRows - 1, ctBlock}); // the cell past the field
    const TReplay play{"0001", 0, {{1, {akCell, 11, 20, ctBlock}}}, 1, box->WaterHash()};
    const std::string users = (root / "user").string();

    SaveUserStage(*box, play, users, "user-0001");
    SaveUserStage(*box, play, users, "user-0002");
    EXPECT_EQ(Names(TStageList((root / "no-shipped").string(), users)),
              (std::vector<std::string>{"user-0001", "user-0002"}));
    for (const char* file : {"Back.jpg", "Block.jpg", "Front.png", "data.xml"})
        EXPECT_EQ(ReadAll(root / "user" / "user-0002" / file), ReadAll(fs::path(VAPOREL_STAGE_DIR) / file))
            << file;
    EXPECT_EQ(LoadReplay((root / "user" / "user-0002" / "replay.txt").string()), play);

    TVaporelBox loaded(profiler);
    loaded.LoadStage(users + "/user-0002");
    for (int column = 0; column < MapColumns; ++column)
        for (int row = 0; row < MapRows; ++row)
            ASSERT_EQ(loaded.Cells()[column][row].CellType, box->Cells()[column][row].CellType)
                << column << ", " << row;
    EXPECT_EQ(loaded.Parameters().WaterParticleNum, box->Parameters().WaterParticleNum);
}

TEST_F(StageFiles, AFailedSaveLeavesNoStageBehind) {
    box->LoadStage(VAPOREL_STAGE_DIR);
    const fs::path users = root / "user";
    fs::create_directories(users);
    // The stage's own folder lacks data.xml: the copy fails half-way.
    MakeStage(root / "broken");
    fs::remove(root / "broken" / "data.xml");
    TBoxSetup(*box).SetStagePath((root / "broken").string() + "/");
    try {
        SaveUserStage(*box, TReplay{"0001", 0, {}, 0, 0}, users.string(), "user-0001");
        FAIL() << "a save without data.xml succeeded";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot save the stage as user-0001"), std::string::npos)
            << error.what();
    }
    EXPECT_TRUE(fs::is_empty(users)) << "no folder, not even the temporary one";
}

// For its life, a file cannot grow past `bytes`: a write stops part way, as
// on a disk that fills, and the next one fails (EFBIG, its signal ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &Saved);
        SavedSignal = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, Saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, SavedSignal);
    }

private:
    rlimit Saved{};
    void (*SavedSignal)(int) = nullptr;
};

TEST_F(StageFiles, ASaveCutShortPartWayGivesTheSystemsReason) {
    box->LoadStage(VAPOREL_STAGE_DIR);
    ASSERT_GT(fs::file_size(fs::path(VAPOREL_STAGE_DIR) / "Block.jpg"), 100'000u);
    std::string message;
    {
        const FileSizeLimit limit(100'000);
        try {
            SaveUserStage(*box, TReplay{"0001", 0, {}, 0, 0}, (root / "user").string(), "user-0001");
        } catch (const Exception& error) {
            message = error.what();
        }
    }
    EXPECT_NE(message.find(std::strerror(EFBIG)), std::string::npos) << message;
    EXPECT_TRUE(fs::is_empty(root / "user"));
}

TEST_F(StageFiles, PlaysChooseTheFirstUnclearedAndAClearWritesItsReplayAndChoosesTheNext) {
    MakeStage(root / "shipped" / "0001", "<name>First</name>", 0); // cleared in the first frame
    MakeStage(root / "shipped" / "0002");
    MakeStage(root / "shipped" / "0003");
    WriteCourse({"0001", "0002", "0003"});
    const std::string progress = (root / "progress.ini").string();
    const std::string replays = (root / "replays").string() + "/";
    {
        TStagePlays plays(*box, TStageList((root / "shipped").string(), ""), progress, replays);
        EXPECT_EQ(plays.Chosen().Name, "0001");
        plays.Choose(-1);
        EXPECT_EQ(plays.ChosenIndex(), 0u) << "the choice stops at the first";
        plays.Choose(5);
        EXPECT_EQ(plays.Chosen().Name, "0003") << "and at the last";
        plays.Choose(-2);

        plays.BeginPlay();
        box->Restart();
        box->Apply({akCell, 5, 5, ctBlock});
        PlayToFinished();
        ASSERT_EQ(box->State(), bsCleared);
        plays.EndPlay();
        EXPECT_FALSE(plays.IsPlaying());
        EXPECT_EQ(plays.Chosen().Name, "0002");
        const TStageResult best = *plays.Progress().Best("0001");
        EXPECT_EQ(best.Cells, 1);
        EXPECT_EQ(best.Frames, 1) << "cleared in its first frame";
        const TReplay replay = LoadReplay(replays + "0001.txt");
        EXPECT_EQ(replay.Stage, "0001");
        EXPECT_EQ(replay.EndFrame, 1 + FinishDelayFrames);
        EXPECT_EQ(replay.EndHash, box->WaterHash());

        plays.BeginPlay(/*again=*/true);
        EXPECT_EQ(box->StagePath(), (root / "shipped" / "0001").string() + "/") << "F5 plays the same stage";
        plays.EndPlay();
    }
    const TStagePlays next(*box, TStageList((root / "shipped").string(), ""), progress, replays);
    EXPECT_EQ(next.Chosen().Name, "0002") << "the next run starts at the first stage not cleared";
}

TEST_F(StageFiles, AFileThatCannotBeWrittenAtAPlaysEndCostsOnlyThatFile) {
    MakeStage(root / "shipped" / "0001", "", 0);
    MakeStage(root / "shipped" / "0002");
    WriteCourse({"0001", "0002"});
    const std::string replays = (root / "replays").string() + "/";
    TStagePlays plays(*box, TStageList((root / "shipped").string(), ""),
                      (root / "missing" / "progress.ini").string(), replays);
    plays.BeginPlay();
    box->Restart();
    PlayToFinished();
    try {
        plays.EndPlay();
        FAIL() << "the progress could not be saved, yet nothing was said";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("missing/progress.ini"), std::string::npos) << error.what();
    }
    EXPECT_EQ(LoadReplay(replays + "0001.txt").EndFrame, 1 + FinishDelayFrames)
        << "the replay is written all the same";
    EXPECT_EQ(plays.Chosen().Name, "0002") << "and the next stage chosen";

    fs::remove_all(root / "replays");
    std::ofstream(root / "replays") << "a file where the folder would be";
    plays.BeginPlay();
    box->Restart();
    EXPECT_THROW(plays.EndPlay(), EReplayError);
    EXPECT_FALSE(plays.IsPlaying());
}

TEST_F(StageFiles, ASavedStageJoinsTheListWithoutTheFolderReadAgain) {
    MakeStage(root / "shipped" / "0001");
    WriteCourse({"0001"});
    MakeStage(root / "user" / "user-0001");
    TStagePlays plays(*box, TStageList((root / "shipped").string(), (root / "user").string()),
                      (root / "progress.ini").string(), (root / "replays").string() + "/");
    plays.Choose(1);
    MakeStage(root / "user" / "user-0005"); // made behind the list's back: not seen until the next start
    plays.BeginPlay();
    box->Restart();
    EXPECT_EQ(plays.SaveMapAsStage(), "user-0002");
    EXPECT_EQ(Names(plays.Stages()), (std::vector<std::string>{"0001", "user-0001", "user-0002"}));
    EXPECT_EQ(plays.Chosen().Name, "user-0001") << "the choice keeps its stage";
    EXPECT_TRUE(fs::exists(root / "user" / "user-0002" / "Map.png"));
}

TEST_F(StageFiles, OnlyAKeptClearIsRecordedWithItsStars) {
    MakeStage(root / "shipped" / "0001", "", 0);
    WriteCourse({"0001"});
    std::ofstream(root / "shipped" / "0001" / ParFileName)
        << "<par><cells>0</cells><seconds>1.0</seconds></par>";
    TStagePlays plays(*box, TStageList((root / "shipped").string(), ""), (root / "progress.ini").string(),
                      (root / "replays").string() + "/");
    plays.BeginPlay();
    box->Restart();
    for (int frame = 0; frame < FinishDelayFrames; ++frame)
        box->Execute();
    ASSERT_EQ(box->State(), bsCleared);
    ASSERT_FALSE(box->Finished());
    plays.EndPlay(); // left before the clear held
    EXPECT_FALSE(plays.Progress().IsCleared("0001")) << "a clear not yet kept";
    EXPECT_EQ(plays.LastOutcome(), poNone);

    plays.BeginPlay();
    box->Restart();
    plays.PlayStarted();
    box->Apply({akCell, 5, 5, ctBlock});
    PlayToFinished();
    plays.EndPlay();
    EXPECT_EQ(plays.LastOutcome(), poKept);
    EXPECT_EQ(plays.LastStars(), 2) << "the clear and the par's time, not its cells";
    EXPECT_EQ(plays.Progress().Stars("0001"), 2);
}

// The cells T brings back against a plain model: exactly the cells changed
// from the stage's map, the field's corners and edges included, column by
// column; put on the stage's map again they give the played map, cell for cell.
TEST_F(StageFiles, TheCellsOfALostPlayAreEveryChangedCellAndGiveThePlayedMapBack) {
    box->LoadStage(VAPOREL_STAGE_DIR);
    box->Restart();
    const int lastColumn = MapColumns - 1, lastRow = MapRows - 1;
    const std::pair<int, int> places[] = {{0, 0},
                                          {lastColumn, 0},
                                          {0, lastRow},
                                          {lastColumn, lastRow},
                                          {MapColumns / 2, 0},
                                          {0, MapRows / 2},
                                          {lastColumn, 7},
                                          {9, lastRow},
                                          {20, 20},
                                          {20, 21},
                                          {21, 20}};
    std::map<std::pair<int, int>, TCellType> changed; // the model, column by column
    for (std::size_t i = 0; i < std::size(places); ++i) {
        const auto [column, row] = places[i];
        const auto type =
            static_cast<TCellType>((box->StageCellTypes()[column][row] + 1 + i % 3) % CellTypeCount);
        box->Apply({akCell, column, row, type});
        changed[{column, row}] = type;
    }
    box->Apply({akCell, 21, 20, box->StageCellTypes()[21][20]}); // taken back: the map's own again
    changed.erase({21, 20});
    std::vector<TPlayerCell> expected;
    for (const auto& [place, type] : changed)
        expected.push_back({place.first, place.second, type});

    const std::vector<TPlayerCell> cells = PlayerCells(*box);
    EXPECT_EQ(cells, expected);
    const auto map = [this] {
        std::vector<TCellType> types;
        for (int column = 0; column < MapColumns; ++column)
            for (int row = 0; row < MapRows; ++row)
                types.push_back(box->GetCell(column, row).CellType);
        return types;
    };
    const std::vector<TCellType> played = map();
    box->Restart();
    ApplyPlayerCells(*box, cells);
    EXPECT_EQ(map(), played);
}

TEST_F(StageFiles, ALostPlayIsTriedAgainWithItsOwnCellsHeardByTheRecorder) {
    MakeStage(root / "shipped" / "0001", "", 300, 0); // lost in the first frame
    MakeStage(root / "shipped" / "0002");
    WriteCourse({"0001", "0002"});
    const std::string replays = (root / "replays").string() + "/";
    TStagePlays plays(*box, TStageList((root / "shipped").string(), ""), (root / "progress.ini").string(),
                      replays);
    EXPECT_FALSE(plays.CanRetry()) << "nothing lost yet";
    plays.BeginPlay();
    box->Restart();
    plays.PlayStarted();
    const TCellType stageType = box->GetCell(20, 20).CellType;
    box->Apply({akCell, 20, 20, ctOutlet});
    box->Apply({akCell, 21, 20, ctDrain});
    box->Apply({akCell, 21, 20, box->StageCellTypes()[21][20]}); // taken back: not the player's
    box->Execute();
    box->Apply({akCell, 30, 10, ctSource});
    box->Execute();
    ASSERT_EQ(box->State(), bsGameOver);
    EXPECT_TRUE(plays.CanRetry()) << "during the result";
    plays.RequestRetry();
    plays.EndPlay();
    EXPECT_EQ(plays.LastOutcome(), poLost);
    plays.Choose(1); // the title's choice moved on: the retry is of the lost stage all the same
    plays.BeginPlay();
    box->Restart();
    plays.PlayStarted();
    EXPECT_FALSE(plays.CanRetry()) << "the retry is a play of its own";
    EXPECT_EQ(box->GetCell(20, 20).CellType, ctOutlet);
    EXPECT_EQ(box->GetCell(30, 10).CellType, ctSource);
    box->Execute();
    plays.EndPlay();
    const TReplay retry = LoadReplay(replays + "0001.txt");
    ASSERT_EQ(retry.Steps.size(), 2u) << "the two cells the lost play left changed";
    EXPECT_EQ(retry.Steps[0].Frame, 1);
    EXPECT_EQ(retry.Steps[0].Action, (TBoxAction{akCell, 20, 20, ctOutlet}));
    EXPECT_EQ(retry.Steps[1].Action, (TBoxAction{akCell, 30, 10, ctSource}));
    EXPECT_NE(stageType, ctOutlet) << "the stage's own cell was changed";

    plays.RequestRetry(); // on the title after the second loss
    plays.BeginPlay();
    box->Restart();
    plays.PlayStarted();
    EXPECT_EQ(box->GetCell(20, 20).CellType, ctOutlet) << "the title's retry keeps the cells too";
    box->Execute();
    plays.EndPlay();
    plays.BeginPlay(); // a plain play of the choice: no cells, no retry
    box->Restart();
    plays.PlayStarted();
    EXPECT_EQ(box->StagePath(), (root / "shipped" / "0002").string() + "/");
    EXPECT_EQ(box->GetCell(20, 20).CellType, box->StageCellTypes()[20][20]);
}

TEST_F(StageFiles, ASharedStageIsAddedOnceAndChosenAndARefusedOneWritesNothing) {
    MakeStage(root / "shipped" / "0001");
    WriteCourse({"0001"});
    const TStageSource stage = ReadStageSource(std::string(VAPOREL_STAGE_SOURCES) + "/0005.txt");
    const TReplay proof = LoadReplay(std::string(VAPOREL_SHIPPED_STAGES) + "/0005/solution.txt");
    const TStagePar par{std::stoi(stage.ParCells),
                        static_cast<std::int32_t>(std::lround(std::stod(stage.ParSeconds) * 60))};
    TReplay wrong = proof;
    wrong.EndHash ^= 1;
    const std::string good = WriteShareFile(stage, proof, (root / "mail").string());
    const std::string bad = WriteShareFile(stage, wrong, (root / "mail").string());
    const fs::path mailed = root / "mail" / "mailed.txt";
    std::ofstream(mailed, std::ios::binary) << std::regex_replace(ReadAll(good), std::regex("\n"), "\r\n");
    const fs::path users = root / "user";
    TStagePlays plays(*box, TStageList((root / "shipped").string(), users.string()),
                      (root / "progress.ini").string(), (root / "replays").string() + "/");

    EXPECT_THROW(plays.AddSharedStage(bad), EShareFileError);
    EXPECT_FALSE(fs::exists(users)) << "a refused file writes nothing";

    const TStagePlays::TAddedStage added = plays.AddSharedStage(good);
    EXPECT_EQ(added.Name, "user-0001");
    EXPECT_EQ(added.Title, "New Springs");
    EXPECT_TRUE(added.IsNew);
    EXPECT_EQ(plays.Chosen().Name, "user-0001");
    EXPECT_EQ(plays.Chosen().Par, par) << "a shared stage brings its par";
    const std::string folder = (users / "user-0001").string();
    const TReplay kept = LoadReplay(folder + "/replay.txt");
    EXPECT_EQ(kept.Stage, "user-0001");
    EXPECT_TRUE(PlayProof(StageSourceOfFolder(folder, kept), kept).Holds()) << "the folder plays its proof";
    for (const char* file : {"Back.jpg", "Block.jpg", "Front.png"})
        EXPECT_TRUE(fs::exists(users / "user-0001" / file)) << file;

    plays.Choose(-1);
    for (const fs::path& again : {fs::path(good), mailed}) {
        const TStagePlays::TAddedStage same = plays.AddSharedStage(again.string());
        EXPECT_FALSE(same.IsNew) << again;
        EXPECT_EQ(same.Name, "user-0001") << again;
        EXPECT_EQ(plays.Chosen().Name, "user-0001") << again;
    }
    EXPECT_EQ(Names(plays.Stages()), (std::vector<std::string>{"0001", "user-0001"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(users), fs::directory_iterator()), 1)
        << "one folder, none half-written";
    const TStageList fresh((root / "shipped").string(), users.string());
    EXPECT_EQ(fresh.Stages().back().Par, par) << "read again with its par";
}
