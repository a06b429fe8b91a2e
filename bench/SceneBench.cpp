// Cost of a whole drawn frame of the game with the water on screen, off
// screen under a virtual X display (Mesa's software OpenGL): the water step,
// the scene of the stage with its particles drawn each on its own or in
// vertex arrays, its pictures drawn plain or lean, the cursor, the debug lines
// and the buffer swap.

#include "SettledWater.h"

#include "game/render/GameRendererUnit.h"
#include "game/render/StageLayersUnit.h"
#include "game/render/VaporelBoxDrawerUnit.h"
#include "platform/OpenGLBinding.h"
#include "platform/WindowSystem.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

using platform::GL;

namespace {

constexpr double CursorZ = 1000;
constexpr double DebugTextZ = 10000;
constexpr double BackgroundZ = -1;
constexpr double FrontZ = 1;

// The parts of a frame measured alone; fpNothing is the cost of clearing and waiting.
enum TFramePart : std::uint8_t { fpNothing, fpBackground, fpWater, fpFront, fpTitle };

platform::MessageResult BenchWindowProc(platform::WindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
    return platform::DefaultWindowProc(window, message, wParam, lParam);
}

platform::WindowHandle CreateBenchWindow() {
    platform::RegisterWindowClass({"VaporelSceneBench", 0, &BenchWindowProc, false});
    platform::CreateWindowParams params;
    params.ClassName = "VaporelSceneBench";
    params.Caption = "scene bench";
    params.Bounds = {0, 0, FieldWidth, FieldHeight};
    platform::WindowHandle window = platform::CreateWindow(params);
    if (window == nullptr)
        throw Exception("no window: is there a display?");
    platform::ShowWindow(window, true);
    return window;
}

// The game's frame around the stage: window, renderer and box, the shipped
// stage loaded (its outlets and drains closed, so the pool stays full), its
// pool filled bottom up with a lattice of particles left to settle.
class TSceneFrame {
public:
    explicit TSceneFrame(TPoolSize size)
        : Window(CreateBenchWindow()),
          Renderer(std::make_unique<TGameRenderer>(Window, Profiler, VAPOREL_DATA_IMAGES "/")),
          Layers(std::make_unique<TStageLayers>(Renderer->TextureManager())),
          Drawer(std::make_unique<TVaporelBoxDrawer>(App, *Renderer)),
          Box(std::make_unique<TVaporelBox>(Profiler, Layers.get(), Drawer.get())) {
        Renderer->SetSize(FieldWidth, FieldHeight);
        Renderer->Begin2D();
        SettleStageWater(*Box, size);
    }
    ~TSceneFrame() {
        Box.reset();
        Renderer.reset();
        platform::DestroyWindow(Window);
    }

    void Run(bool simulate) {
        if (simulate)
            Box->Execute();
        Renderer->Clear();
        Box->Draw();
        Renderer->DrawTexture(tidCursor, false, 512, 384, CursorZ);
        for (int line = 0; line < 3; ++line) {
            GL().Color3f(0, 0, 0);
            Renderer->DrawText("Collision 123456, 12345", 0, line * Renderer->FontHeight(), DebugTextZ);
        }
        Renderer->Present();
        GL().Finish(); // the software rasteriser's threads have drawn everything
    }

    // One part of the frame alone, after the depth buffer is cleared.
    void RunPart(TFramePart part) {
        Renderer->Clear();
        switch (part) {
        case fpNothing: break;
        case fpBackground: Renderer->DrawBackdrop(tidBG, BackgroundZ); break;
        case fpWater: DrawWater(); break;
        case fpFront: Renderer->DrawTexture(tidFront, false, 0, 0, FrontZ); break;
        case fpTitle: Renderer->DrawTexture(tidTitle, false, 0, 0, 0); break;
        }
        GL().Finish();
    }

    TVaporelBox& Water() { return *Box; }
    TVaporelBoxDrawer& WaterDrawing() { return *Drawer; }
    TGameRenderer& Drawing() { return *Renderer; }

private:
    // As the scene draws it, batched.
    void DrawWater() {
        Sprites.clear();
        for (const TWaterParticle& p : Box->Particles())
            if (p.Active)
                Sprites.push_back({p.Kind == wkBlue ? tidBlue : tidRed, p.Position.x, p.Position.y});
        Renderer->SetBlendAdd();
        Renderer->DrawSprites(Sprites, 0);
    }

    TGameProfiler Profiler;
    TApp App; // never runs: the cell cursor stays at the top-left corner
    platform::WindowHandle Window;
    std::unique_ptr<TGameRenderer> Renderer;
    std::unique_ptr<TStageLayers> Layers;
    std::unique_ptr<TVaporelBoxDrawer> Drawer;
    std::unique_ptr<TVaporelBox> Box;
    std::vector<TSprite> Sprites;
};

// The shipped stage's pool and radius, and the largest pool the frame must carry.
const TPoolSize PoolSizes[] = {{1200, 4}, {10000, 2}};

// Runs `step` as the benchmark's iterations and counts the processor time of
// the whole process per iteration: every thread, the rasteriser's too. That
// is what a frame costs on a machine that other programs keep busy, where the
// real time is longer.
template <typename Step> void MeasureProcessTime(benchmark::State& state, Step step) {
    const std::clock_t start = std::clock();
    for (auto _ : state)
        step();
    const double processMs = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.counters["process_cpu_ms"] = benchmark::Counter(processMs, benchmark::Counter::kAvgIterations);
}

TFrameDrawing FrameDrawingOf(std::int64_t lean) {
    return lean == 0 ? fdPlain : fdLean;
}

// range(0): pool size; range(1): 0 each on its own, 1 batched; range(2): 1 with the water step;
// range(3): 0 pictures drawn plain, 1 lean.
void BM_Frame(benchmark::State& state) {
    TSceneFrame frame(PoolSizes[state.range(0)]);
    frame.WaterDrawing().ParticleDrawing = state.range(1) == 0 ? pdEach : pdBatched;
    frame.Drawing().FrameDrawing = FrameDrawingOf(state.range(3));
    MeasureProcessTime(state, [&] { frame.Run(state.range(2) != 0); });
    state.counters["particles"] = frame.Water().ActiveParticleCount();
}

// range(0): the TFramePart; range(1): 0 pictures drawn plain, 1 lean. At the shipped stage's pool.
void BM_FramePart(benchmark::State& state) {
    TSceneFrame frame(PoolSizes[0]);
    frame.Drawing().FrameDrawing = FrameDrawingOf(state.range(1));
    MeasureProcessTime(state, [&] { frame.RunPart(static_cast<TFramePart>(state.range(0))); });
}

} // namespace

BENCHMARK(BM_FramePart)
    ->ArgNames({"part", "lean"})
    ->ArgsProduct({{fpNothing, fpBackground, fpWater, fpFront, fpTitle}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_Frame)
    ->ArgNames({"pool", "batched", "step", "lean"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
