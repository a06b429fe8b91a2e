#include "platform/WaveDecoder.h"

#include "platform/CheckedFile.h"

#include <SDL.h>

#include <memory>

namespace platform {

namespace {

// An effect lasts a few seconds at most.
constexpr std::uint64_t MaxWaveFileBytes = 16 * 1024 * 1024; // bytes

[[noreturn]] void Fail(const std::string& fileName, const std::string& what) {
    throw FileError("The sound file " + fileName + " " + what);
}

struct WaveDeleter {
    void operator()(std::uint8_t* samples) const { SDL_FreeWAV(samples); }
};

std::uint16_t BitsOf(SDL_AudioFormat format) {
    switch (format) {
    case AUDIO_U8: return 8;
    case AUDIO_S16LSB: return 16;
    default: return 0;
    }
}

} // namespace

WaveSound LoadWave(const std::string& fileName) {
    const std::string bytes = ReadCheckedFile(fileName, MaxWaveFileBytes);
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_AudioSpec spec{};
    std::uint8_t* samples = nullptr;
    std::uint32_t length = 0;
    if (!stream || !SDL_LoadWAV_RW(stream, 1, &spec, &samples, &length)) // 1: SDL closes the stream
        Fail(fileName, std::string("is damaged: ") + SDL_GetError());
    const std::unique_ptr<std::uint8_t, WaveDeleter> owned(samples);
    WaveSound sound{spec.channels, static_cast<std::uint32_t>(spec.freq), BitsOf(spec.format), {}};
    if (sound.BitsPerSample == 0 || (sound.Channels != 1 && sound.Channels != 2))
        Fail(fileName, "is not 8- or 16-bit PCM in one or two channels");
    const std::uint32_t frameBytes = sound.Channels * sound.BitsPerSample / 8u;
    if (length < frameBytes)
        Fail(fileName, "holds no sound");
    sound.Pcm.assign(samples, samples + length / frameBytes * frameBytes);
    return sound;
}

} // namespace platform
