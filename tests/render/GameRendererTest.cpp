#include "BoxSetup.h"
#include "RenderFixture.h"
#include "TestPictures.h"
#include "ViewerScene.h"

#include "game/render/GameRendererUnit.h"
#include "game/render/StageLayersUnit.h"
#include "game/render/VaporelBoxDrawerUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <cmath>
#include <tuple>

using namespace platform::gl;
using platform::GL;

namespace {

// A soft disc: alpha falls from the centre to 0 at the edge of the 32 x 32 picture.
PixelFunction SoftDisc(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return [=](int x, int y) {
        const double d = std::hypot(x - 15.5, y - 15.5);
        return Rgba{r, g, b, static_cast<std::uint8_t>(std::max(0.0, 255 - d * 16))};
    };
}

PixelFunction Solid(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return [=](int, int) { return Rgba{r, g, b, 255}; };
}

// The game's renderer on a window of the field's size, with pictures written
// for the test: water with or without an alpha channel, an opaque green
// result picture; every other slot stays empty.
class SceneTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        const bool alpha = GetParam();
        WritePng(Folder / "Blue.png", 32, 32, alpha, alpha ? SoftDisc(40, 90, 250) : Solid(0, 0, 100));
        WritePng(Folder / "Red.png", 32, 32, alpha, alpha ? SoftDisc(250, 60, 30) : Solid(100, 0, 0));
        WritePng(Folder / "GameOver.png", 64, 32, true, Solid(0, 255, 0));
        Scene = std::make_unique<GameScene>(Folder.path().string() + "/");
        Renderer = Scene->Renderer.get();
        Box = Scene->Box.get();
    }
    void TearDown() override { Scene.reset(); }

    void Fill(float grey) {
        GL().ClearColor(grey, grey, grey, 1);
        GL().Clear(GL_COLOR_BUFFER_BIT);
        Renderer->Clear();
    }
    Rgb PixelAt(int x, int y) const {
        std::array<std::uint8_t, 4> rgba{};
        GL().PixelStorei(GL_PACK_ALIGNMENT, 1);
        GL().ReadPixels(x, FieldHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return {rgba[0], rgba[1], rgba[2]};
    }
    std::vector<std::uint8_t> DrawScene(TParticleDrawing drawing, float ground = 1) {
        Fill(ground);
        Scene->Drawer->ParticleDrawing = drawing;
        Box->Draw();
        return ReadFrame(FieldWidth, FieldHeight).Rgb;
    }

    TempFolder Folder;
    std::unique_ptr<GameScene> Scene;
    TGameRenderer* Renderer = nullptr;
    TVaporelBox* Box = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Pictures, SceneTest, testing::Values(true, false),
                         [](const auto& test) { return test.param ? "WithAlpha" : "WithoutAlpha"; });

const Rgb White{255, 255, 255};

TEST_P(SceneTest, BatchedParticlesGiveTheSamePixelsAsEachDrawnOnItsOwn) {
    // Blue and red water piled over each other at fractional positions, with
    // idle slots between: the order of the pool decides every pixel.
    TBoxSetup(*Box).Particles().resize(3000);
    for (std::size_t i = 0; i < Box->Particles().size(); ++i) {
        TWaterParticle& p = TBoxSetup(*Box).Particles()[i];
        p.Active = i % 7 != 3;
        p.Kind = (i * 2654435761u) % 3 == 0 ? wkEtc : wkBlue;
        p.Position = {200 + std::fmod(static_cast<double>(i) * 37.3, 300.0),
                      150 + std::fmod(static_cast<double>(i) * 11.7, 200.0), 0};
    }
    const float ground = 0.2f; // dark enough for added light to show
    const std::vector<std::uint8_t> each = DrawScene(pdEach, ground);
    const std::vector<std::uint8_t> batched = DrawScene(pdBatched, ground);
    ASSERT_FALSE(Near(PixelAt(350, 250), {51, 51, 51}, 8)) << "the water is drawn";
    EXPECT_TRUE(each == batched) << "batched drawing changed pixels";
    EXPECT_EQ(Renderer->BlendMode(), bmNone) << "the scene ends in the resting state";
}

TEST_P(SceneTest, AParticlePictureBlendsByItsAlphaChannelAndIsCentredAtItsOwnSize) {
    Fill(1);
    GL().Color3f(0.25f, 0.25f, 0.25f);
    Renderer->DrawRect(true, 0, 0, 300, 300, -5); // a grey ground the water adds its light to
    Renderer->SetBlendAdd();
    Renderer->DrawTexture(tidBlue, true, 100.5, 40.25, 0);
    Renderer->SetBlendNone();
    const Rgb centre = PixelAt(100, 40);
    if (GetParam()) {
        // Normal blending: alpha 247 of (40, 90, 250) over grey 64.
        EXPECT_TRUE(Near(centre, {41, 89, 244}, 3)) << centre;
    } else {
        EXPECT_TRUE(Near(centre, {64, 64, 164})) << "added onto the grey: " << centre;
        // The quad covers (84.5, 24.25) to (116.5, 56.25): pixel centres inside it.
        EXPECT_TRUE(Near(PixelAt(84, 24), {64, 64, 164}));
        EXPECT_TRUE(Near(PixelAt(115, 55), {64, 64, 164}));
        EXPECT_TRUE(Near(PixelAt(83, 40), {64, 64, 64}));
        EXPECT_TRUE(Near(PixelAt(116, 40), {64, 64, 64}));
        EXPECT_TRUE(Near(PixelAt(100, 23), {64, 64, 64}));
        EXPECT_TRUE(Near(PixelAt(100, 56), {64, 64, 64}));
    }
    EXPECT_TRUE(GL().IsEnabled(GL_DEPTH_TEST) && !GL().IsEnabled(GL_BLEND) && !GL().IsEnabled(GL_TEXTURE_2D))
        << "back in the resting state";
}

TEST_P(SceneTest, GaugesFillToTheirRatioAndATargetOfZeroIsFull) {
    TBoxSetup(*Box).Parameters().BlueWaterNumForClear = 4;
    TBoxSetup(*Box).SetOutCounts(1, 0); // a quarter: the fill line at 32 + 0.75 x 704 = 560
    TBoxSetup(*Box).Parameters().EtcWaterNumForEnd = 0;
    DrawScene(pdBatched); // no stage pictures: the slots are empty and draw nothing
    // The numbers' plate covers the lower end (from y 689 for "1-4"): the
    // gradient shows above it, cyan towards blue, G = 255 x (688.5 - 560) / 176.
    EXPECT_TRUE(Near(PixelAt(15, 688), {0, 186, 255}, 3)) << "blue gauge, above the numbers: " << PixelAt(15, 688);
    EXPECT_TRUE(Near(PixelAt(15, 561), {0, 3, 255}, 3)) << "blue gauge, the fill line's colour";
    EXPECT_TRUE(Near(PixelAt(15, 559), White)) << "above the fill line";
    EXPECT_TRUE(Near(PixelAt(40, 32), {255, 0, 0}, 3)) << "red gauge full to its top";
    EXPECT_TRUE(Near(PixelAt(40, 31), White));
    EXPECT_TRUE(Near(PixelAt(28, 400), White)) << "between the gauges";
}

TEST_P(SceneTest, TheResultFadesInOverTwoSeconds) {
    const struct {
        std::int32_t Frame;
        Rgb Veiled;  // white under the veil
        Rgb Picture; // the opaque green picture over the veiled white
    } steps[] = {{60, {191, 191, 191}, {96, 223, 96}},
                 {120, {128, 128, 128}, {0, 255, 0}},
                 {600, {128, 128, 128}, {0, 255, 0}}};
    for (const auto& step : steps) {
        TBoxSetup(*Box).SetState(bsGameOver, step.Frame);
        DrawScene(pdBatched);
        EXPECT_TRUE(Near(PixelAt(900, 700), step.Veiled, 3)) << "frame " << step.Frame;
        EXPECT_TRUE(Near(PixelAt(512, 384), step.Picture, 3)) << "frame " << step.Frame;
        EXPECT_TRUE(Near(PixelAt(479, 384), step.Veiled, 3)) << "the 64 x 32 picture is centred";
        EXPECT_EQ(Renderer->Alpha(), 1.0);
    }
}

// The shipped stage and pictures: the edited cells' tiles and the pieces of
// the stage's own pictures they cover.
// Pixels of a frame as RGB, rows top down.
Rgb At(const std::vector<std::uint8_t>& frame, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * FieldWidth + x) * 3;
    return {frame[i], frame[i + 1], frame[i + 2]};
}

class StageSceneTest : public testing::Test {
protected:
    void SetUp() override {
        Window = CreateTestWindow(false, FieldWidth, FieldHeight);
        ASSERT_NE(Window, nullptr) << "no window: is there a display?";
        Renderer = std::make_unique<TGameRenderer>(Window, Profiler, VAPOREL_DATA_IMAGES "/");
        Renderer->SetSize(FieldWidth, FieldHeight);
        Renderer->Begin2D();
        Layers = std::make_unique<TStageLayers>(Renderer->TextureManager());
        Drawer = std::make_unique<TVaporelBoxDrawer>(App, *Renderer);
        Box = std::make_unique<TVaporelBox>(Profiler, Layers.get(), Drawer.get());
        Box->LoadStage(VAPOREL_STAGE_DIR); // no water: the pool stays empty until a reset
    }
    void TearDown() override {
        Box.reset();
        Renderer.reset();
        if (Window != nullptr)
            platform::DestroyWindow(Window);
    }

    void Clear() {
        GL().ClearColor(1, 1, 1, 1);
        GL().Clear(GL_COLOR_BUFFER_BIT);
        Renderer->Clear();
    }
    std::vector<std::uint8_t> Scene() {
        Clear();
        Box->Draw();
        return ReadFrame(FieldWidth, FieldHeight).Rgb;
    }
    // The characters in the gauge whose left edge is at `left`: runs of rows
    // with light pixels inside it (the empty gauge is near black, the fill
    // has no light pixel), each with its extent; and the rows with light
    // pixels just outside it.
    struct TBand {
        int Top, Bottom, Left, Right;
    };
    static bool Light(const std::vector<std::uint8_t>& frame, int x, int y) {
        const Rgb c = At(frame, x, y);
        return c.R > 200 && c.G > 200 && c.B > 200;
    }
    static std::pair<std::vector<TBand>, int> GaugeBands(const std::vector<std::uint8_t>& frame, int left) {
        std::vector<TBand> found;
        int lightOutside = 0;
        for (int y = 32; y < 736; ++y) {
            int first = -1, last = -1;
            for (int x = left; x < left + 16; ++x)
                if (Light(frame, x, y)) {
                    first = first < 0 ? x : first;
                    last = x;
                }
            lightOutside += Light(frame, left - 2, y) || Light(frame, left + 17, y) ? 1 : 0;
            if (first < 0)
                continue;
            if (found.empty() || found.back().Bottom != y - 1)
                found.push_back({y, y, first, last});
            TBand& band = found.back();
            band.Bottom = y;
            band.Left = std::min(band.Left, first);
            band.Right = std::max(band.Right, last);
        }
        return {found, lightOutside};
    }
    // What the stage's pictures give its cells: the background, the block
    // patches of its block cells and the front layer.
    std::vector<std::uint8_t> PicturesOfTheStage() {
        Clear();
        Renderer->DrawTexture(tidBG, false, 0, 0, -1);
        for (int gx = 0; gx < MapColumns; ++gx)
            for (int gy = 0; gy < MapRows; ++gy)
                if (Box->Cells()[gx][gy].CellType == ctBlock)
                    Renderer->DrawTextureRect(tidBlock, false, gx * CellSize, gy * CellSize, 0, gx * CellSize,
                                              gy * CellSize, (gx + 1) * CellSize, (gy + 1) * CellSize);
        Renderer->DrawTexture(tidFront, false, 0, 0, 1);
        return ReadFrame(FieldWidth, FieldHeight).Rgb;
    }
    std::vector<std::uint8_t> PictureAlone(TTextureID id) {
        Clear();
        Renderer->DrawTexture(id, false, 0, 0, 0);
        return ReadFrame(FieldWidth, FieldHeight).Rgb;
    }
    void SetType(int column, int row, TCellType type) { Box->SetCell(column, row, TMapCell{type}); }

    TGameProfiler Profiler;
    TApp App; // never runs: the cell cursor outlines the top-left cell
    platform::WindowHandle Window = nullptr;
    std::unique_ptr<TGameRenderer> Renderer;
    std::unique_ptr<TStageLayers> Layers;
    std::unique_ptr<TVaporelBoxDrawer> Drawer;
    std::unique_ptr<TVaporelBox> Box;
};

// The cell's 16 x 16 pixels are the same in both frames.
bool SameCell(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int column, int row) {
    for (int y = row * CellSize; y < (row + 1) * CellSize; ++y)
        for (int x = column * CellSize; x < (column + 1) * CellSize; ++x)
            if (At(a, x, y) != At(b, x, y))
                return false;
    return true;
}

// Right of the gauge panel, whose gauges carry their numbers.
bool SameField(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    for (int y = 0; y < FieldHeight; ++y)
        for (int x = 64; x < FieldWidth; ++x)
            if (At(a, x, y) != At(b, x, y))
                return false;
    return true;
}

TEST_F(StageSceneTest, AnUntouchedStageDrawsExactlyWhatItsPicturesGive) {
    EXPECT_TRUE(SameField(Scene(), PicturesOfTheStage()));
}

TEST_F(StageSceneTest, ChangedCellsShowWhatTheyAreNowAndTurnedBackDrawAsBefore) {
    const std::vector<std::uint8_t> untouched = Scene();
    const std::vector<std::uint8_t> back = PictureAlone(tidBG);
    const std::vector<std::uint8_t> block = PictureAlone(tidBlock);
    // Open cells of the stage made into each kind, and two of its outlets (the
    // floor at row 47, columns 51 and 52) emptied and blocked.
    SetType(30, 20, ctOutlet);
    SetType(31, 20, ctDrain);
    SetType(32, 20, ctSource);
    SetType(33, 20, ctWall);
    SetType(51, 47, ctEmpty);
    SetType(52, 47, ctBlock);
    const std::vector<std::uint8_t> changed = Scene();
    // The tiles' own colours: between the outlet's bars, the drain's bars, the source's drop.
    EXPECT_EQ(At(changed, 30 * 16 + 5, 20 * 16 + 5), (Rgb{47, 111, 216})) << "outlet tile";
    EXPECT_EQ(At(changed, 31 * 16 + 5, 20 * 16 + 5), (Rgb{200, 64, 44})) << "drain tile";
    EXPECT_EQ(At(changed, 32 * 16 + 7, 20 * 16 + 8), (Rgb{140, 208, 255})) << "source tile";
    EXPECT_NE(At(changed, 33 * 16, 20 * 16 + 8), At(untouched, 33 * 16, 20 * 16 + 8)) << "the wall's outline";
    EXPECT_EQ(At(changed, 33 * 16 + 8, 20 * 16 + 8), At(untouched, 33 * 16 + 8, 20 * 16 + 8))
        << "and nothing inside it";
    EXPECT_FALSE(SameCell(untouched, back, 51, 47)) << "the stage's grate lies over the outlet";
    EXPECT_TRUE(SameCell(changed, back, 51, 47)) << "an emptied outlet shows the background, grate covered";
    EXPECT_TRUE(SameCell(changed, block, 52, 47)) << "a blocked outlet shows its block patch over the grate";
    EXPECT_TRUE(SameCell(changed, untouched, 34, 20)) << "the cells around stay";

    for (const auto& [column, row, type] : {std::tuple{30, 20, ctEmpty},
                                            {31, 20, ctEmpty},
                                            {32, 20, ctEmpty},
                                            {33, 20, ctEmpty},
                                            {51, 47, ctOutlet},
                                            {52, 47, ctOutlet}})
        SetType(column, row, type);
    EXPECT_TRUE(Scene() == untouched) << "the cells turned back draw as before, byte for byte";
}

TEST_F(StageSceneTest, EachGaugeCarriesItsNumbersUprightOneCharacterALine) {
    const std::vector<std::uint8_t> frame = Scene();
    const std::pair<int, std::string> gauges[] = {{8, std::to_string(Box->Parameters().BlueWaterNumForClear)},
                                                  {32, std::to_string(Box->Parameters().EtcWaterNumForEnd)}};
    for (const auto& [left, target] : gauges) {
        const auto [found, lightOutside] = GaugeBands(frame, left);
        ASSERT_EQ(found.size(), 2 + target.size()) << "'0', the bar and the target's digits, at x " << left;
        EXPECT_GT(found.front().Top, 600) << "in the gauge's lower end";
        EXPECT_EQ(lightOutside, 0) << "within the gauge";
        for (const TBand& band : found) {
            if (band.Bottom - band.Top < 3)
                continue; // the bar between the numbers
            EXPECT_GT(band.Bottom - band.Top, band.Right - band.Left)
                << "a digit stands taller than wide: upright, at x " << left << " y " << band.Top;
        }
    }
}

// Over a full cyan gauge the digits stand at least ten pixels high, white on
// a dark plate that reaches the gauge's edges.
TEST_F(StageSceneTest, TheGaugeNumbersAreTallAndStandOnADarkPlateOverAnyFill) {
    TBoxSetup(*Box).SetOutCounts(Box->Parameters().BlueWaterNumForClear, 0); // full: bright cyan at the lower end
    const std::vector<std::uint8_t> frame = Scene();
    const auto [found, lightOutside] = GaugeBands(frame, 8);
    ASSERT_EQ(found.size(), 1 + 2 * std::to_string(Box->Parameters().BlueWaterNumForClear).size());
    for (const TBand& band : found) {
        if (band.Bottom - band.Top < 3)
            continue; // the bar
        EXPECT_GE(band.Bottom - band.Top + 1, 10) << "a digit's height, at y " << band.Top;
        for (const int x : {8, 23}) {
            const Rgb edge = At(frame, x, (band.Top + band.Bottom) / 2);
            EXPECT_LT(edge.G, 100) << "the plate, not the cyan fill, beside the digit at " << x << ", "
                                   << band.Top;
        }
    }
}

TEST_F(StageSceneTest, ThePoolWithoutRedWaterShowsNoNumbersOnTheRedGauge) {
    ASSERT_FALSE(GaugeBands(Scene(), 32).first.empty()) << "the red gauge's numbers where red water is";
    TBoxSetup(*Box).Parameters().BlueWaterNum = Box->Parameters().WaterParticleNum;
    const std::vector<std::uint8_t> frame = Scene();
    EXPECT_TRUE(GaugeBands(frame, 32).first.empty()) << "no \"0-1\" where nothing can be lost";
    EXPECT_FALSE(GaugeBands(frame, 8).first.empty()) << "the blue gauge's numbers stay";
}

TEST_F(StageSceneTest, AHiddenWallTakenAwayShowsStoneFromNearbyInsteadOfGlass) {
    const int column = 21, row = 17;
    ASSERT_EQ(Box->StageCellTypes()[column][row], ctWall) << "a pane of glass in the stage's pictures";
    ASSERT_NE(Box->StageCellTypes()[column - 5][row], ctWall);
    const std::vector<std::uint8_t> back = PictureAlone(tidBG);
    const std::vector<std::uint8_t> untouched = Scene();
    SetType(column, row, ctEmpty);
    const std::vector<std::uint8_t> changed = Scene();
    for (int y = row * CellSize; y < (row + 1) * CellSize; ++y)
        for (int x = column * CellSize; x < (column + 1) * CellSize; ++x)
            ASSERT_EQ(At(changed, x, y), At(back, x - 5 * CellSize, y))
                << "the stone one stone to the left, at " << x << ", " << y;
    EXPECT_FALSE(SameCell(changed, untouched, column, row)) << "the glass is gone";
    EXPECT_TRUE(SameCell(changed, untouched, column + 1, row)) << "the rest of the pane stays glass";
    SetType(column, row, ctBlock);
    EXPECT_TRUE(SameCell(Scene(), changed, column - 1, row)) << "a block there changes nothing around it";
    SetType(column, row, ctWall);
    EXPECT_TRUE(Scene() == untouched) << "the wall made again is the glass again";
}

} // namespace
