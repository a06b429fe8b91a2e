#include "game/stagemaker/StageFolderUnit.h"

#include "game/stagemaker/CanvasUnit.h"
#include "game/stagemaker/StageArtUnit.h"
#include "platform/CheckedFile.h"

void MakeStageFolder(const TStageSource& source, const std::filesystem::path& folder) {
    const std::filesystem::path normal = folder.lexically_normal();
    const std::string stageName = (normal.has_filename() ? normal : normal.parent_path()).filename();
    std::filesystem::create_directories(normal);
    WritePng(DrawMap(source.Map), normal / "Map.png", false);
    WriteJpeg(DrawBack(source.Map), normal / "Back.jpg");
    WriteJpeg(DrawBlock(), normal / "Block.jpg");
    WritePng(DrawFront(source.Map), normal / "Front.png", true);
    platform::ReplaceFileContents(normal / "data.xml", StageDataXml(source, stageName));
    if (!source.ParCells.empty()) // a stage being made has no par until it is proved
        platform::ReplaceFileContents(normal / "par.xml", StageParXml(source, stageName));
}
