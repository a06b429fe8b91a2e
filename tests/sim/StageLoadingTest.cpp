#include "BoxSetup.h"
#include "HeadlessLayerTextures.h"
#include "game/render/StageLayersUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "lib/Z5EasyXMLUnit.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

struct Pixel {
    int x, y;
    std::uint8_t r, g, b;
};

void WritePng(const std::string& name, int width, int height, const std::vector<Pixel>& pixels) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 255);
    for (const Pixel& p : pixels) {
        std::uint8_t* at = &rgb[(static_cast<std::size_t>(p.y) * width + p.x) * 3];
        at[0] = p.r;
        at[1] = p.g;
        at[2] = p.b;
    }
    std::FILE* file = std::fopen(name.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, &rgb[static_cast<std::size_t>(y) * width * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

const char* const GoodData = R"(<stage>
  <blue_water_num>30</blue_water_num>
  <blue_water_num_for_clear>20</blue_water_num_for_clear>
  <etc_water_num_for_end>5</etc_water_num_for_end>
  <water_particle_num>50</water_particle_num>
  <water_radius>4</water_radius>
  <water_max_velocity>7.5</water_max_velocity>
  <water_gravity>1.2</water_gravity>
  <water_velocity_decay_rate>0.98</water_velocity_decay_rate>
  <water_shake_velocity>0.5</water_shake_velocity>
  <water_swap_frequency>0.1</water_swap_frequency>
</stage>)";

// A stage folder in the test's temporary space with small valid pictures.
class Stage : public testing::Test {
protected:
    void SetUp() override {
        dir = testing::TempDir() + "stage_" + testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
        WriteMap({});
        for (const char* layer : {"Back", "Block", "Front"})
            WritePng(dir + "/" + layer + ".png", 32, 24, {});
        WriteData(GoodData);
        box = std::make_unique<TVaporelBox>(profiler, &layers);
    }
    void TearDown() override { fs::remove_all(dir); }

    void WriteMap(const std::vector<Pixel>& pixels, int width = 1024, int height = 768) {
        WritePng(dir + "/Map.png", width, height, pixels);
    }
    void WriteData(const std::string& text) { std::ofstream(dir + "/data.xml", std::ios::binary) << text; }

    std::string ErrorOfLoad() {
        try {
            box->LoadStage(dir);
        } catch (const Exception& error) {
            return error.what();
        }
        return "";
    }

    std::string dir;
    TGameProfiler profiler;
    THeadlessLayerTextures textures;
    TStageLayers layers{textures};
    std::unique_ptr<TVaporelBox> box;
};

} // namespace

TEST_F(Stage, FolderWithAndWithoutSlashReadsTheSameFiles) {
    box->LoadStage(dir);
    EXPECT_EQ(box->StagePath(), dir + "/");
    EXPECT_EQ(textures.Slot(tidBG).FileName, dir + "/Back.png");
    EXPECT_EQ(box->Parameters().WaterParticleNum, 50);
    EXPECT_EQ(box->Parameters().WaterMaxVelocity, 7.5);
    EXPECT_EQ(box->Parameters().WaterSwapFrequency, 0.1);
    box->LoadStage(dir + "/");
    EXPECT_EQ(box->StagePath(), dir + "/");
    EXPECT_EQ(textures.LoadCount(), 3) << "layers are loaded once per run";
    EXPECT_EQ(profiler.Engine().Item(pidLoadMap)->Count, 2);
}

// A slot start-up filled from images/ keeps its picture for the first stage
// and its reloads; choosing another stage brings that stage's own pictures.
TEST_F(Stage, TheFirstStageKeepsStartUpPicturesAndAnotherBringsItsOwn) {
    const std::string startUp = dir + "/startup.png";
    WritePng(startUp, 8, 8, {});
    textures.LoadFromFile(tidBG, startUp);
    box->LoadStage(dir);
    box->LoadStage(dir);
    EXPECT_EQ(textures.Slot(tidBG).FileName, startUp) << "Back is neither searched nor loaded";
    EXPECT_EQ(textures.Slot(tidBlock).FileName, dir + "/Block.png");

    const std::string other = dir + "/other";
    fs::create_directories(other);
    fs::copy(dir + "/Map.png", other);
    fs::copy(dir + "/data.xml", other);
    for (const char* layer : {"Back", "Block", "Front"})
        WritePng(other + "/" + layer + ".png", 16, 16, {});
    box->LoadStage(other);
    EXPECT_EQ(textures.Slot(tidBG).FileName, other + "/Back.png");
    EXPECT_EQ(textures.Slot(tidFront).FileName, other + "/Front.png");
}

TEST_F(Stage, AStageThatFailedPartWayCostsTheNextOneNoPictureOfItsOwn) {
    box->LoadStage(dir);
    const std::string broken = dir + "/broken";
    fs::create_directories(broken);
    fs::copy(dir + "/Map.png", broken);
    for (const char* layer : {"Back", "Block"}) // no Front
        WritePng(broken + "/" + layer + ".png", 16, 16, {});
    EXPECT_THROW(box->LoadStage(broken), Exception);
    EXPECT_EQ(textures.Slot(tidBG).FileName, broken + "/Back.png") << "steps already done stay done";
    EXPECT_EQ(box->StagePath(), dir + "/");

    box->ReloadStage();
    EXPECT_EQ(textures.Slot(tidBG).FileName, dir + "/Back.png");
    EXPECT_EQ(textures.Slot(tidBlock).FileName, dir + "/Block.png");
    EXPECT_EQ(textures.Slot(tidFront).FileName, dir + "/Front.png");
    EXPECT_EQ(textures.LoadCount(), 3 + 2 + 2) << "the Front the failed stage never touched is kept";
}

// A stage made without a folder (from a share file's text, say) gives the box
// the same values: the same water to the bit, its map again on a reload.
TEST_F(Stage, AStageGivenAsValuesRunsAsItsFolderDoes) {
    constexpr int SourceColumn = 20, SourceRow = 2;
    WriteMap({{SourceColumn * CellSize, SourceRow * CellSize, 0, 0, 0}});
    box->LoadStage(dir);
    const std::string folder = StageFolderPath(dir);
    TStageData stage{ReadStageMap(folder), {}};
    ReadStageParameters(folder, stage.Parameters);
    TVaporelBox fromValues(profiler);
    fromValues.LoadStage(stage);
    EXPECT_EQ(fromValues.StagePath(), "");
    std::uint64_t hashes[2] = {};
    TVaporelBox* const boxes[2] = {box.get(), &fromValues};
    for (int which = 0; which < 2; ++which) {
        SetRandSeed(0);
        boxes[which]->Restart();
        for (int frame = 0; frame < 120; ++frame)
            boxes[which]->Execute();
        hashes[which] = boxes[which]->WaterHash();
    }
    EXPECT_GT(fromValues.ActiveParticleCount(), 0) << "the source poured";
    EXPECT_EQ(hashes[1], hashes[0]);

    fromValues.SetCell(SourceColumn, SourceRow, TMapCell{ctEmpty});
    fromValues.ReloadStage();
    EXPECT_EQ(fromValues.Cells()[SourceColumn][SourceRow].CellType, ctSource) << "the given map again";

    TStageData tooLarge = stage;
    tooLarge.Parameters.WaterParticleNum = MaxWaterParticleNum + 1;
    tooLarge.CellTypes[0][0] = ctBlock;
    EXPECT_THROW(fromValues.LoadStage(tooLarge), Exception);
    EXPECT_EQ(fromValues.Parameters().WaterParticleNum, 50) << "nothing of a refused stage is taken";
    EXPECT_EQ(fromValues.Cells()[0][0].CellType, ctEmpty);
}

TEST_F(Stage, MapColoursClassifyCells) {
    WriteMap({{0, 0, 255, 255, 255},
              {16, 0, 0, 0, 0},
              {32, 0, 0, 0, 255},
              {48, 0, 255, 0, 0},
              {64, 0, 128, 128, 128},
              {80, 0, 1, 1, 1},
              {96, 0, 0, 0, 254},
              {112, 0, 255, 255, 254},
              {128, 0, 150, 104, 62},
              {145, 1, 0, 0, 0}}); // not a cell's top-left pixel: ignored
    box->LoadStage(dir);
    const TCellType expected[] = {ctEmpty, ctSource, ctOutlet, ctDrain, ctWall,
                                  ctWall,  ctBlock,  ctBlock,  ctBlock, ctEmpty};
    for (int column = 0; column < 10; ++column)
        EXPECT_EQ(box->Cells()[column][0].CellType, expected[column]) << "column " << column;
    EXPECT_EQ(box->Cells()[64][0].CellType, ctEmpty) << "outside the picture reads as white";

    WriteMap({{0, 0, 0, 0, 0}}, 16, 16); // a small map: everything beyond it is white
    box->SetCell(30, 30, TMapCell{ctBlock});
    box->LoadStage(dir);
    EXPECT_EQ(box->Cells()[0][0].CellType, ctSource);
    EXPECT_EQ(box->Cells()[30][30].CellType, ctEmpty);
}

TEST_F(Stage, MissingFilesNameThemAndKeepTheOldPath) {
    box->LoadStage(dir);
    fs::remove(dir + "/Front.png");
    textures = THeadlessLayerTextures(); // a fresh run: the slot must be filled again
    EXPECT_EQ(ErrorOfLoad(), dir + "/Frontは、対応していない画像ファイルです。(" + dir +
                                 "/Front.jpg, .png, .bmp: No such file or directory)");

    fs::remove(dir + "/Map.png");
    EXPECT_NE(ErrorOfLoad().find(dir + "/Map.png"), std::string::npos);

    WriteMap({{0, 0, 0, 0, 0}});
    WritePng(dir + "/Front.png", 8, 8, {});
    fs::remove(dir + "/data.xml");
    textures = THeadlessLayerTextures();
    box->SetCell(0, 0, TMapCell{ctEmpty});
    TBoxSetup(*box).SetStagePath("before/");
    EXPECT_NE(ErrorOfLoad().find(dir + "/data.xml"), std::string::npos);
    EXPECT_EQ(box->Cells()[0][0].CellType, ctSource) << "steps already done stay done";
    EXPECT_EQ(box->StagePath(), "before/");
}

// A layer's picture is the first of .jpg, .png, .bmp that is a regular file;
// when none is, the message says what the first one there is wrong with.
TEST_F(Stage, ALayerThatIsNoFileSaysWhy) {
    const std::string unsupported = dir + "/Frontは、対応していない画像ファイルです。(";
    fs::remove(dir + "/Front.png");
    ASSERT_EQ(mkfifo((dir + "/Front.jpg").c_str(), 0600), 0);
    EXPECT_EQ(ErrorOfLoad(), unsupported + dir + "/Front.jpg: not a regular file)");

    fs::remove(dir + "/Front.jpg");
    fs::create_directory(dir + "/Front.png");
    EXPECT_EQ(ErrorOfLoad(), unsupported + dir + "/Front.png: not a regular file)") << "a folder";

    ASSERT_EQ(mkfifo((dir + "/Front.jpg").c_str(), 0600), 0);
    fs::remove(dir + "/Front.png");
    WritePng(dir + "/Front.png", 8, 8, {});
    EXPECT_EQ(ErrorOfLoad(), "") << "a FIFO is passed over for the next name";
    EXPECT_EQ(textures.Slot(tidFront).FileName, dir + "/Front.png");
}

TEST_F(Stage, DamagedMapPictureIsAnErrorNamingIt) {
    std::ofstream(dir + "/Map.png", std::ios::binary) << "\x89PNG\r\n\x1a\n garbage";
    EXPECT_NE(ErrorOfLoad().find(dir + "/Map.png"), std::string::npos);
}

TEST_F(Stage, BadDataXml) {
    WriteData("<stage>\n<water_radius>4</water_radius>\n<oops></stage>");
    const std::string malformed = ErrorOfLoad();
    EXPECT_NE(malformed.find(dir + "/data.xml(3)"), std::string::npos) << malformed;

    WriteData("<stage><water_particle_num>50</water_particle_num><water_radius>four</water_radius></stage>");
    const std::string notANumber = ErrorOfLoad();
    EXPECT_NE(notANumber.find("data.xml: water_radius: 'four' is not a valid integer value"),
              std::string::npos)
        << notANumber;
    EXPECT_EQ(box->Parameters().WaterParticleNum, 50) << "the keys before the bad one were read";

    WriteData("<stage><water_particle_num>-1</water_particle_num></stage>");
    EXPECT_NE(ErrorOfLoad().find("water_particle_num"), std::string::npos);
    EXPECT_EQ(box->Parameters().WaterParticleNum, 50) << "a refused pool size is never taken";
    EXPECT_NO_THROW(box->ResetWater());
    EXPECT_EQ(box->Particles().size(), 50u);
    WriteData("<stage><water_particle_num>99999999</water_particle_num></stage>");
    EXPECT_NE(ErrorOfLoad().find("water_particle_num"), std::string::npos);
}

TEST_F(Stage, MissingKeysReadAsZero) {
    WriteData("<STAGE><water_particle_num>50</water_particle_num></STAGE>");
    box->LoadStage(dir);
    EXPECT_EQ(box->Parameters().WaterParticleNum, 0) << "the root's name is case-sensitive";
    box->ResetWater();
    EXPECT_TRUE(box->Particles().empty());
    box->SetCell(10, 10, TMapCell{ctSource});
    box->Execute();
    EXPECT_EQ(box->ActiveParticleCount(), 0) << "nothing is ever emitted";
    EXPECT_EQ(box->State(), bsGameOver) << "an end threshold of 0 loses at once";
}

TEST_F(Stage, RestartResetsWithTheOldDataThenRereadsTheFolder) {
    box->LoadStage(dir);
    WriteData("<stage><water_particle_num>7</water_particle_num></stage>");
    TBoxSetup(*box).SetFinished(true);
    box->SetCell(5, 5, TMapCell{ctBlock}); // an edit lives only in memory
    box->Restart();
    EXPECT_EQ(box->Particles().size(), 50u) << "the pool was reset with the size read before";
    EXPECT_EQ(box->Parameters().WaterParticleNum, 7);
    EXPECT_FALSE(box->Finished());
    EXPECT_EQ(box->Cells()[5][5].CellType, ctEmpty);
}

TEST_F(Stage, ShippedStageLoads) {
    box->LoadStage(VAPOREL_STAGE_DIR);
    EXPECT_EQ(box->Parameters().WaterParticleNum, 1200);
    int sources = 0, outlets = 0, drains = 0;
    for (const auto& column : box->Cells())
        for (const TMapCell& cell : column) {
            sources += cell.CellType == ctSource;
            outlets += cell.CellType == ctOutlet;
            drains += cell.CellType == ctDrain;
        }
    EXPECT_GT(sources, 0);
    EXPECT_GT(outlets, 0);
    EXPECT_GT(drains, 0);
    for (TTextureID id : {tidBG, tidBlock, tidFront}) {
        EXPECT_EQ(textures.Slot(id).Width, FieldWidth);
        EXPECT_EQ(textures.Slot(id).Height, FieldHeight);
    }
}

// The stage maker adds a name and a hint; the loader reads only its ten keys,
// whatever else the document holds around them.
TEST_F(Stage, ElementsTheWaterDoesNotReadAreIgnored) {
    std::string data = GoodData;
    data.insert(data.find("<stage>") + 7, "<name>Ten &amp; <b>bold</b></name><water>9</water>");
    data.insert(data.find("</stage>"), "<hint a=\"1\">Keep <i>red</i> out</hint><!-- note --><x/>");
    WriteData(data);
    box->LoadStage(dir);
    EXPECT_EQ(box->Parameters().BlueWaterNum, 30);
    EXPECT_EQ(box->Parameters().EtcWaterNumForEnd, 5);
    EXPECT_EQ(box->Parameters().WaterParticleNum, 50);
    EXPECT_EQ(box->Parameters().WaterMaxVelocity, 7.5);
    EXPECT_EQ(box->Parameters().WaterSwapFrequency, 0.1);
}

TEST_F(Stage, EveryShippedStageLoadsWithItsNameAndHint) {
    const fs::path shipped = fs::path(VAPOREL_STAGE_DIR).parent_path();
    int stages = 0;
    for (const auto& entry : fs::directory_iterator(shipped)) {
        if (!entry.is_directory())
            continue; // the course file
        box->LoadStage(entry.path().string());
        EXPECT_GT(box->Parameters().WaterParticleNum, 0) << entry.path();
        TZ5EasyXMLReader reader;
        reader.LoadFromFile((entry.path() / "data.xml").string());
        reader.Enter("stage");
        EXPECT_FALSE(reader.GetValue("name").IsEmpty()) << entry.path();
        EXPECT_FALSE(reader.GetValue("hint").IsEmpty()) << entry.path();
        ++stages;
    }
    EXPECT_GE(stages, 20);
}
