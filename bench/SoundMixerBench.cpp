// Cost of the sound: one 1024-frame device buffer mixed with 1, 32 and 128
// effects playing (mono, each at its own rate, panned), and the music's
// streaming channel, both its share of the device buffer and the refill
// that decodes the Ogg file on the timer's thread (per 1024 frames).

#include "lib/Z5OggVorbisSoundStreamUnit.h"
#include "lib/sound/Z5DirectSoundUnit.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t DeviceFrames = platform::AudioBufferFrames;

TSoundOutputOpener PumpedOutput() {
    return [](platform::AudioRenderer&) { return std::make_unique<platform::AudioOutput>(); };
}

// A one-second mono tone per channel, loaded and playing.
void PlayEffects(TZ5DirectSound& device, std::vector<std::unique_ptr<TZ5SoundData>>& sounds, int count) {
    for (int id = 0; id < count; ++id) {
        auto data = std::make_unique<TZ5SoundData>();
        data->SoundId = id;
        data->Format = MakePcmFormat(1, 22050, 16);
        data->Stream = std::make_unique<TZ5MemoryStream>();
        for (int i = 0; i < 22050; ++i) {
            const auto sample = static_cast<std::int16_t>(3000 * std::sin(i * 0.05 * (id + 1)));
            data->Stream->Write(&sample, 2);
        }
        device.PlayEffect(data.get(), true, (id % 5 - 2) * 0.4, 0.8, 0.9 + 0.01 * (id % 20));
        sounds.push_back(std::move(data));
    }
}

void MixEffects(benchmark::State& state) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    std::vector<std::unique_ptr<TZ5SoundData>> sounds;
    PlayEffects(device, sounds, static_cast<int>(state.range(0)));
    std::array<std::int16_t, DeviceFrames * 2> out{};
    for (auto _ : state) {
        // Effects end after a second: keep them all sounding.
        for (int i = 0; i < state.range(0); ++i)
            if (!device.EffectChannel(i)->IsPlaying())
                device.EffectChannel(i)->Play(0, 0.8, 1);
        device.Mixer()->Render(out.data(), DeviceFrames);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(MixEffects)->Arg(1)->Arg(32)->Arg(128)->Unit(benchmark::kMicrosecond);

// The music channel: mixing its ring, and refilling what was played from the
// game's Ogg file (the decoding, on the timer's thread).
void StreamMusic(benchmark::State& state) {
    TZ5OggVorbisSoundStream::LoadLibraries("");
    TZ5OggVorbisSoundStream music;
    music.Open(VAPOREL_MUSIC_FILE);
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    device.PlayStream(&music, true, 0, 1, 1);
    const bool refill = state.range(0) != 0;
    std::array<std::int16_t, DeviceFrames * 2> out{};
    for (auto _ : state) {
        device.Mixer()->Render(out.data(), DeviceFrames);
        if (refill)
            device.StreamChannel()->Refill();
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(StreamMusic)->ArgName("refill")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
