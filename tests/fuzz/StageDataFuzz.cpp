// Fuzzed bytes as a stage's data.xml: loading must either succeed or raise
// the program's Exception (parse, conversion or range error); a loaded stage
// must then reset and run a few frames. Crashes, hangs, leaks and sanitizer
// reports are findings.

#include "StageFolder.h"

#include <cstdlib>

namespace {

// Bigger pools are valid but would make each input slow to run.
constexpr std::int32_t LargestPoolRun = 5000;
constexpr int FramesRun = 3;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TFuzzStageFolder stage;
    stage.Write("data.xml", data, size);
    try {
        stage.Box->LoadStage(stage.Dir);
    } catch (const Exception&) {
        return 0; // rejected with a message: the expected answer for most inputs
    }
    if (stage.Box->StagePath() != stage.Dir + "/")
        std::abort();
    if (stage.Box->Parameters().WaterParticleNum > LargestPoolRun)
        return 0;
    stage.Box->ResetWater();
    for (int frame = 0; frame < FramesRun; ++frame)
        stage.Box->Execute();
    if (static_cast<std::int32_t>(stage.Box->Particles().size()) != stage.Box->Parameters().WaterParticleNum)
        std::abort();
    return 0;
}
