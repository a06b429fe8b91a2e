#pragma once
// What the sound tests share: outputs that let a test pump the mixer itself,
// and PCM sources with known samples.

#include "lib/Z5SoundStreamUnit.h"
#include "lib/sound/Z5DirectSoundUnit.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

// An output that never calls the mixer: the test renders by hand.
inline TSoundOutputOpener PumpedOutput() {
    return [](platform::AudioRenderer&) { return std::make_unique<platform::AudioOutput>(); };
}

// No audio device at all.
inline TSoundOutputOpener MissingOutput() {
    return [](platform::AudioRenderer&) -> std::unique_ptr<platform::AudioOutput> {
        throw platform::AudioError("no device");
    };
}

inline const TWaveFormat StereoFormat = MakePcmFormat(2, 44100, 16);
inline const TWaveFormat MonoFormat = MakePcmFormat(1, 44100, 16);

// Renders `frames` output frames.
inline std::vector<std::int16_t> Render(TSoundMixer& mixer, std::size_t frames) {
    std::vector<std::int16_t> out(frames * 2);
    mixer.Render(out.data(), frames);
    return out;
}

// 16-bit PCM from memory, by default stereo with frame i holding (i, -i)
// modulo 30000. It can be told to fail after a number of reads, as a damaged
// file does, and counts its reads and rewinds.
class TPcmSource : public TZ5SoundStream {
public:
    explicit TPcmSource(std::size_t frames) : TPcmSource(Ramp(frames), StereoFormat) {}
    TPcmSource(std::vector<std::int16_t> samples, const TWaveFormat& format) : Samples(std::move(samples)) {
        Format = std::make_unique<TWaveFormat>(format);
        Length_ = static_cast<std::uint32_t>(Samples.size() * 2);
    }
    void Open(const std::string&) override {}
    void Close() override {}
    void Rewind() override {
        ++Rewinds;
        Position = 0;
    }
    std::int32_t Read(std::int32_t size, void* buffer) override {
        ++Reads;
        if (ReadsBeforeFailure >= 0 && ReadsBeforeFailure-- == 0)
            throw std::runtime_error("damaged");
        const std::size_t bytes = std::min<std::size_t>(static_cast<std::size_t>(size), Length_ - Position);
        if (bytes > 0) // an empty source has no data pointer to copy from
            std::memcpy(buffer, reinterpret_cast<const std::uint8_t*>(Samples.data()) + Position, bytes);
        Position += bytes;
        return static_cast<std::int32_t>(bytes);
    }

    std::atomic<int> Reads{0};
    int Rewinds = 0;
    int ReadsBeforeFailure = -1; // never
    std::size_t Position = 0;    // bytes

private:
    static std::vector<std::int16_t> Ramp(std::size_t frames) {
        std::vector<std::int16_t> samples;
        for (std::size_t i = 0; i < frames; ++i) {
            samples.push_back(static_cast<std::int16_t>(i % 30000));
            samples.push_back(static_cast<std::int16_t>(-static_cast<int>(i % 30000)));
        }
        return samples;
    }

    std::vector<std::int16_t> Samples;
};
