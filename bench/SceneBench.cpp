// Cost of a whole drawn frame of the game with the water on screen, off
// screen under a virtual X display (Mesa's software OpenGL): the water step,
// the scene of the stage with its particles drawn each on its own or in
// vertex arrays, its pictures drawn plain or lean, the cursor, the debug lines
// and the buffer swap.

#include "SettledWater.h"

#include "game/render/GameRendererUnit.h"
#include "game/water/WaterWorkersUnit.h"
#include "platform/OpenGLBinding.h"
#include "platform/WindowSystem.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

using platform::GL;

namespace {

constexpr double CursorZ = 1000;
constexpr double DebugTextZ = 10000;

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
          Box(std::make_unique<TVaporelBox>(App, Profiler, *Renderer)) {
        Renderer->SetSize(FieldWidth, FieldHeight);
        Renderer->Begin2D();
        SettleStageWater(*Box, size);
        Box->SetThreadCount(DefaultWaterThreadCount(size.Particles), wsWhereItGains); // as the game runs it
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

    TVaporelBox& Water() { return *Box; }
    TGameRenderer& Drawing() { return *Renderer; }

private:
    TGameProfiler Profiler;
    TApp App; // never runs: the cell cursor stays at the top-left corner
    platform::WindowHandle Window;
    std::unique_ptr<TGameRenderer> Renderer;
    std::unique_ptr<TVaporelBox> Box;
};

// The shipped stage's pool and radius, and the largest pool the frame must carry.
const TPoolSize PoolSizes[] = {{1200, 4}, {10000, 2}};

// range(0): pool size; range(1): 0 each on its own, 1 batched; range(2): 1 with the water step;
// range(3): 0 pictures drawn plain, 1 lean.
void BM_Frame(benchmark::State& state) {
    TSceneFrame frame(PoolSizes[state.range(0)]);
    frame.Water().ParticleDrawing = state.range(1) == 0 ? pdEach : pdBatched;
    frame.Drawing().FrameDrawing = state.range(3) == 0 ? fdPlain : fdLean;
    const std::clock_t start = std::clock(); // every thread of the process: the rasteriser's too
    for (auto _ : state)
        frame.Run(state.range(2) != 0);
    const double processMs = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.counters["particles"] = frame.Water().ActiveParticleCount();
    // Processor time of the whole process per frame: what the frame costs on
    // a machine that other programs keep busy, where the real time is longer.
    state.counters["process_cpu_ms"] = benchmark::Counter(processMs, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(BM_Frame)
    ->ArgNames({"pool", "batched", "step", "lean"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
