// The lean way of drawing pictures against the plain one, on the shipped
// stage and pictures: every frame read back must be the same to the byte.

#include "BoxSetup.h"
#include "RenderFixture.h"
#include "ViewerScene.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/core/WaitTimerUnit.h"
#include "game/render/GameRendererUnit.h"
#include "game/states/TitleStateUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <cmath>

using platform::GL;

namespace {

constexpr double CursorZ = 1000;

class NoSwitches : public TStateSwitch {
public:
    void ChangeToTitle() override {}
    void ChangeToMain() override {}
    void ChangeToEditor() override {}
    void Invalidate() override {}
};

// The game's renderer and box with the game's pictures and the shipped stage.
class FrameDrawingTest : public testing::Test {
protected:
    void SetUp() override { Box->LoadStage(VAPOREL_STAGE_DIR); }

    // `count` particles spread over the field, a third of them etc water,
    // every fourth one centred on a whole pixel and the rest between pixels;
    // the gauges part full, so that they show over the background.
    void PourWater(std::int32_t count) {
        TBoxSetup(*Box).SetOutCounts(Box->Parameters().BlueWaterNumForClear / 3,
                                     Box->Parameters().EtcWaterNumForEnd * 2 / 3);
        TBoxSetup(*Box).Particles().assign(static_cast<std::size_t>(count), {});
        for (std::int32_t i = 0; i < count; ++i) {
            TWaterParticle& p = TBoxSetup(*Box).Particles()[static_cast<std::size_t>(i)];
            p.Active = i % 9 != 4;
            p.Kind = i % 3 == 0 ? wkEtc : wkBlue;
            const double x = std::fmod(i * 61.37, FieldWidth + 40.0) - 20;
            const double y = std::fmod(i * 17.11 + i / 50 * 3.3, FieldHeight + 40.0) - 20;
            p.Position = i % 4 == 0 ? TVector3D{std::round(x), std::round(y), 0} : TVector3D{x, y, 0};
        }
    }

    // One frame as the game draws it, from a colour buffer filled with a
    // grey that no picture leaves alone by chance.
    template <typename DrawFrame> std::vector<std::uint8_t> Frame(TFrameDrawing drawing, DrawFrame draw) {
        Renderer->FrameDrawing = drawing;
        GL().ClearColor(0.3f, 0.4f, 0.5f, 1);
        GL().Clear(platform::gl::GL_COLOR_BUFFER_BIT);
        Renderer->Clear();
        draw();
        Renderer->DrawTexture(tidCursor, false, 500, 300, CursorZ);
        return ReadFrame(FieldWidth, FieldHeight).Rgb;
    }
    std::vector<std::uint8_t> StageFrame(TFrameDrawing drawing) {
        return Frame(drawing, [this] { Box->Draw(); });
    }
    void ExpectSameStageFrames(const char* what) {
        const std::vector<std::uint8_t> plain = StageFrame(fdPlain);
        const std::vector<std::uint8_t> lean = StageFrame(fdLean);
        EXPECT_TRUE(plain == lean) << what << ": " << DifferingPixels(plain, lean) << " pixels differ";
        EXPECT_EQ(Renderer->BlendMode(), bmNone) << what << ": the frame ends in the resting state";
    }
    static std::size_t DifferingPixels(const std::vector<std::uint8_t>& a,
                                       const std::vector<std::uint8_t>& b) {
        std::size_t differing = 0;
        for (std::size_t i = 0; i + 2 < std::min(a.size(), b.size()); i += 3)
            differing += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] ? 1 : 0;
        return differing;
    }

    GameScene Scene{VAPOREL_DATA_IMAGES "/"};
    TGameRenderer* Renderer = Scene.Renderer.get();
    TVaporelBox* Box = Scene.Box.get();
};

TEST_F(FrameDrawingTest, TheStageWithItsWaterIsTheSameDrawnLeanAsPlain) {
    for (const std::int32_t count : {1200, 10000}) {
        PourWater(count);
        for (const TParticleDrawing particles : {pdBatched, pdEach}) {
            Scene.Drawer->ParticleDrawing = particles;
            ExpectSameStageFrames(particles == pdEach ? "particles each on its own" : "particles batched");
        }
        Scene.Drawer->ParticleDrawing = pdBatched;
        const std::vector<std::uint8_t> watered = StageFrame(fdLean);
        TBoxSetup(*Box).Particles().clear();
        EXPECT_FALSE(StageFrame(fdLean) == watered) << count << " particles: the water is on screen";
    }
}

// Today's drawing, each particle on its own and every picture plain, against
// the game's: water cut off by the field's edges and corners, and blue and red
// piled up where each sprite covers many others, between pixels and on them.
TEST_F(FrameDrawingTest, WaterAtTheEdgesAndPiledUpIsTheSameAsEachParticleDrawnPlain) {
    constexpr double w = FieldWidth, h = FieldHeight;
    const double edgesX[] = {-15.75, -0.5, 0, 0.25, 15.5, w - 16.25, w - 0.5, w + 15.5};
    const double edgesY[] = {-15.5, -0.25, 0, 16.75, h - 15.5, h, h + 15.75};
    TBoxSetup(*Box).Particles().clear();
    const auto add = [this](double x, double y, TWaterKind kind) {
        TWaterParticle p;
        p.Active = true;
        p.Kind = kind;
        p.Position = {x, y, 0};
        TBoxSetup(*Box).Particles().push_back(p);
    };
    for (const double x : edgesX)
        for (const double y : edgesY)
            add(x, y, Box->Particles().size() % 2 == 0 ? wkBlue : wkEtc);
    for (int i = 0; i < 400; ++i) // a pile of 400 within 20 pixels, kinds in runs of one to three
        add(500 + std::fmod(i * 7.31, 20.0), 300 + std::fmod(i * 3.17, 20.0), i % 5 < 2 ? wkEtc : wkBlue);
    Scene.Drawer->ParticleDrawing = pdEach;
    const std::vector<std::uint8_t> each = StageFrame(fdPlain);
    Scene.Drawer->ParticleDrawing = pdBatched;
    const std::vector<std::uint8_t> batched = StageFrame(fdLean);
    EXPECT_TRUE(each == batched) << DifferingPixels(each, batched) << " pixels differ";
}

TEST_F(FrameDrawingTest, TheResultOverlayIsTheSameDrawnLeanAsPlain) {
    PourWater(1200);
    for (const TBoxState state : {bsCleared, bsGameOver})
        for (const std::int32_t frame : {1, 60, 119, 120, 400}) { // the picture fades in, then stays
            TBoxSetup(*Box).SetState(state, frame);
            ExpectSameStageFrames(state == bsCleared ? "cleared" : "game over");
        }
}

TEST_F(FrameDrawingTest, TheTitleIsTheSameDrawnLeanAsPlain) {
    NoSwitches app;
    TWaitTimer waitTimer;
    TSoundManager sound{[](platform::AudioRenderer&) -> std::unique_ptr<platform::AudioOutput> {
        throw platform::AudioError("none"); // no device: the music follows its fades silently
    }};
    TBGMManager music{sound};
    TTitleState title{app, Renderer, waitTimer, music, *Box};
    title.Enter();
    for (const bool promptShown : {true, false}) {
        ASSERT_EQ(title.PromptVisible(), promptShown);
        const std::vector<std::uint8_t> plain = Frame(fdPlain, [&] { title.Draw(); });
        const std::vector<std::uint8_t> lean = Frame(fdLean, [&] { title.Draw(); });
        EXPECT_TRUE(plain == lean) << DifferingPixels(plain, lean) << " pixels differ, prompt shown "
                                   << promptShown;
        for (int i = 0; i < TTitleState::BlinkFrames; ++i)
            title.Update();
    }
}

// Pictures that do not lie on whole pixels keep linear filtering; patches
// lie on whole pixels.
TEST_F(FrameDrawingTest, PicturesBetweenPixelsAreFilteredAsBefore) {
    const auto between = [this] {
        Renderer->DrawTexture(tidTitleClick, false, 100.5, 200.25, 0);
        Renderer->DrawTexture(tidFront, false, 0.5, 0, 1);
        const TPictureRect patches[] = {{48, 64, 64, 80}, {300, 200, 316, 216}};
        Renderer->DrawPatches(tidBlock, patches, 0);
    };
    const std::vector<std::uint8_t> plain = Frame(fdPlain, between);
    const std::vector<std::uint8_t> lean = Frame(fdLean, between);
    EXPECT_TRUE(plain == lean) << DifferingPixels(plain, lean) << " pixels differ";
}

} // namespace
