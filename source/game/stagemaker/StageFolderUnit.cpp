#include "game/stagemaker/StageFolderUnit.h"

#include "game/stagemaker/CanvasUnit.h"
#include "game/stagemaker/StageArtUnit.h"
#include "platform/CheckedFile.h"

void MakeStageFolder(const TStageSource& source, const std::filesystem::path& folder) {
    const std::filesystem::path normal = folder.lexically_normal();
    const std::string stageName = (normal.has_filename() ? normal : normal.parent_path()).filename();
    std::filesystem::create_directories(normal);
    WriteStageFiles(source, normal, stageName);
}

void WriteStageFiles(const TStageSource& source, const std::filesystem::path& folder,
                     const std::string& stageName) {
    WritePng(DrawMap(source.Map), folder / "Map.png", false);
    WriteJpeg(DrawBack(source.Map), folder / "Back.jpg");
    WriteJpeg(DrawBlock(), folder / "Block.jpg");
    WritePng(DrawFront(source.Map), folder / "Front.png", true);
    platform::ReplaceFileContents(folder / "data.xml", StageDataXml(source, stageName));
    if (!source.ParCells.empty()) // a stage being made has no par until it is proved
        platform::ReplaceFileContents(folder / "par.xml", StageParXml(source, stageName));
}
