// The stage maker's pictures: the map picture the game's loader reads back
// as the text map, and a front picture that covers only what it should.

#include "CellCharacters.h"
#include "HeadlessLayerTextures.h"
#include "game/core/GameProfilerUnit.h"
#include "game/render/StageLayersUnit.h"
#include "game/stagemaker/StageArtUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

// Every kind of cell somewhere in the field, beside the frame.
TStageMap MapOfEveryCell() {
    TStageMap map;
    for (int row = 0; row < StageRows; ++row)
        map[static_cast<std::size_t>(row)] =
            row < PictureRows ? "wwww" + std::string(59, '.') + "w." : std::string(StageColumns, '.');
    map[1].replace(10, 4, "SSSS");
    map[20].replace(30, 6, "#wODS.");
    map[30].replace(40, 3, "SS#");
    map[47].replace(4, 59, std::string(20, '#') + std::string(8, 'O') + std::string(31, '#'));
    return map;
}

constexpr char DataXml[] = "<stage><water_particle_num>10</water_particle_num><name>n</name></stage>";

double FrontAlphaAtCell(const TCanvas& front, int column, int row) {
    return front.At(column * 16 + 8, row * 16 + 8).a;
}

} // namespace

TEST(StageArt, TheLoaderReadsTheMapPictureAsTheTextMap) {
    const std::string dir = testing::TempDir() + "stage_art_map";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const TStageMap map = MapOfEveryCell();
    WritePng(DrawMap(map), dir + "/Map.png", false);
    WriteJpeg(DrawBack(map), dir + "/Back.jpg");
    WriteJpeg(DrawBlock(), dir + "/Block.jpg");
    WritePng(DrawFront(map), dir + "/Front.png", true);
    std::ofstream(dir + "/data.xml") << DataXml;

    TGameProfiler profiler;
    THeadlessLayerTextures textures;
    TStageLayers layers{textures};
    auto box = std::make_unique<TVaporelBox>(profiler, &layers);
    box->LoadStage(dir);
    for (int column = 0; column < StageColumns; ++column)
        for (int row = 0; row < StageRows; ++row)
            ASSERT_EQ(box->GetCell(column, row).CellType, CellTypeOfCharacter(map[row][column]))
                << "column " << column << ", row " << row;
    EXPECT_EQ(textures.Slot(tidFront).Width, FieldWidth);
    fs::remove_all(dir);
}

TEST(StageArt, FrontCoversGratesAndPipesOnly) {
    const TStageMap map = MapOfEveryCell();
    const TCanvas front = DrawFront(map);
    EXPECT_GT(FrontAlphaAtCell(front, 32, 20), 0.3) << "the outlet's grate";
    EXPECT_GT(FrontAlphaAtCell(front, 33, 20), 0.3) << "the drain's grate";
    EXPECT_GT(FrontAlphaAtCell(front, 12, 0), 0.9) << "the feed pipe of row 1 comes from the top edge";
    EXPECT_GT(FrontAlphaAtCell(front, 40, 29), 0.9) << "a deep source's pipe comes from the cell above";
    EXPECT_EQ(FrontAlphaAtCell(front, 40, 27), 0.0) << "and no higher";
    EXPECT_EQ(FrontAlphaAtCell(front, 34, 20), 0.0) << "a source on the map draws no grate";
    EXPECT_EQ(FrontAlphaAtCell(front, 30, 10), 0.0) << "empty field stays clear";
}
