#include "game/stages/StagePackUnit.h"

#include "game/core/GameProfilerUnit.h"
#include "game/stages/StageCourseUnit.h"
#include "game/stages/StageProofUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "lib/Z5EasyXMLUnit.h"

#include <filesystem>
#include <memory>

namespace {

constexpr std::int32_t FramesPerSecond = 60;
constexpr std::int32_t ParMarginSeconds = 2;
// Stands for the par until the proof has been played: the most lenient one.
const char* const ParCellsUnknown = "0";
const char* const ParSecondsUnknown = "3600";

std::string FolderWithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

TStageMap MapOfFolder(const std::string& folder) {
    TGameProfiler profiler;
    auto box = std::make_unique<TVaporelBox>(profiler); // holds the whole map: too big for the stack
    box->LoadStage(folder);
    TStageMap map;
    for (int row = 0; row < StageRows; ++row)
        for (int column = 0; column < StageColumns; ++column)
            map[static_cast<std::size_t>(row)] += StageCellCharacters[box->StageCellTypes()[column][row]];
    return map;
}

// The name, the hint and the ten numbers as data.xml writes them.
void ReadStageData(const std::string& folder, TStageSource& stage) {
    TZ5EasyXMLReader reader;
    reader.LoadFromFile(folder + "data.xml");
    reader.Enter("stage");
    stage.Name = reader.GetValue("name").Text();
    stage.Hint = reader.GetValue("hint").Text();
    for (const char* key : StageParameterKeys())
        stage.Parameters.emplace_back(key, reader.GetValue(key).Text());
}

bool ReadParFile(const std::string& folder, TStageSource& stage) {
    std::error_code error;
    if (!std::filesystem::exists(folder + ParFileName, error))
        return false;
    TZ5EasyXMLReader reader;
    reader.LoadFromFile(folder + ParFileName);
    reader.Enter("par");
    stage.ParCells = reader.GetValue("cells").Text();
    stage.ParSeconds = reader.GetValue("seconds").Text();
    return true;
}

} // namespace

void SetParOfProof(TStageSource& stage, const TReplay& proof, std::int32_t clearFrame) {
    const std::int32_t seconds = (clearFrame + FramesPerSecond - 1) / FramesPerSecond + ParMarginSeconds;
    stage.ParCells = std::to_string(proof.EditedCellCount());
    stage.ParSeconds = std::to_string(seconds) + ".0";
}

TStageSource StageSourceOfFolder(const std::string& folder, const TReplay& proof) {
    const std::string dir = FolderWithSlash(folder);
    TStageSource stage;
    ReadStageData(dir, stage);
    const bool hasPar = ReadParFile(dir, stage);
    if (!hasPar) {
        stage.ParCells = ParCellsUnknown;
        stage.ParSeconds = ParSecondsUnknown;
    }
    stage.Map = MapOfFolder(dir);
    // Read back, so that the folder's stage meets every bound of the text form.
    stage = ParseStageSource(FormatStageSource(stage), dir + "data.xml");
    if (!hasPar)
        SetParOfProof(stage, proof, PlayProof(stage, proof).ClearFrame);
    return stage;
}
