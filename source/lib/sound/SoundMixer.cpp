#include "lib/sound/SoundMixer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

namespace {

constexpr int FractionBits = 32; // of the fixed-point play cursor
constexpr float FractionScale = 1.0f / 4294967296.0f;
constexpr float EightBitScale = 256.0f; // an 8-bit sample is the top byte of a 16-bit one
constexpr std::int32_t EightBitSilence = 128;

// One channel's sample of a frame as a 16-bit value.
template <int SampleBytes> float SampleAt(const std::uint8_t* frame, int channel) {
    if constexpr (SampleBytes == 1) {
        return static_cast<float>(frame[channel] - EightBitSilence) * EightBitScale;
    } else {
        std::int16_t sample;
        std::memcpy(&sample, frame + 2 * channel, sizeof sample);
        return sample;
    }
}

struct TMixGains {
    float Left;
    float Right;
};

TMixGains GainsOf(std::int32_t volume, std::int32_t pan) {
    const float gain = AttenuationGain(volume);
    // A pan attenuates the far side only: to the right, the left is quieter.
    return {gain * (pan > 0 ? AttenuationGain(-pan) : 1.0f), gain * (pan < 0 ? AttenuationGain(pan) : 1.0f)};
}

// Steps through the data at `step` frames per output frame, interpolating
// linearly between neighbouring frames, and adds the result into `mix`.
// False when a buffer that plays once has passed its last frame.
template <int SampleBytes, int Channels>
bool MixFrames(const std::uint8_t* data, std::uint32_t frames, bool looping, std::uint64_t step,
               TMixGains gains, std::uint64_t& cursor, float* mix, std::size_t count) {
    constexpr std::size_t frameBytes = SampleBytes * Channels;
    const std::uint64_t end = std::uint64_t{frames} << FractionBits;
    for (std::size_t i = 0; i < count; ++i) {
        const auto index = static_cast<std::uint32_t>(cursor >> FractionBits);
        const std::uint32_t nextIndex = index + 1 < frames ? index + 1 : (looping ? 0 : index);
        const std::uint8_t* a = data + index * frameBytes;
        const std::uint8_t* b = data + nextIndex * frameBytes;
        const float t = static_cast<float>(cursor & 0xFFFFFFFFu) * FractionScale;
        const float aLeft = SampleAt<SampleBytes>(a, 0);
        const float left = aLeft + (SampleAt<SampleBytes>(b, 0) - aLeft) * t;
        float right = left;
        if constexpr (Channels == 2) {
            const float aRight = SampleAt<SampleBytes>(a, 1);
            right = aRight + (SampleAt<SampleBytes>(b, 1) - aRight) * t;
        }
        mix[2 * i] += left * gains.Left;
        mix[2 * i + 1] += right * gains.Right;
        cursor += step;
        if (cursor >= end) {
            if (!looping)
                return false;
            cursor %= end;
        }
    }
    return true;
}

bool IsMixable(const TWaveFormat& format) {
    return format.FormatTag == WaveFormatPcm && (format.Channels == 1 || format.Channels == 2) &&
           (format.BitsPerSample == 8 || format.BitsPerSample == 16) &&
           format.BlockAlign == format.Channels * format.BitsPerSample / 8 &&
           format.SamplesPerSec >= SoundFrequencyMin && format.SamplesPerSec <= SoundFrequencyMax;
}

} // namespace

float LimitedSample(float value) {
    const float size = std::abs(value);
    if (size <= LimitKnee)
        return value;
    constexpr float room = LimitCeiling - LimitKnee;
    return std::copysign(LimitKnee + room * std::tanh((size - LimitKnee) / room), value);
}

float AttenuationGain(std::int32_t hundredthsDb) {
    if (hundredthsDb <= SoundVolumeMin)
        return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

// ---- TSoundBuffer

TSoundBuffer::TSoundBuffer(TSoundMixer& mixer, const TWaveFormat& format, std::uint32_t bytes)
    : Mixer(mixer), Format_(format), Frames(bytes / format.BlockAlign),
      Data(bytes, static_cast<std::uint8_t>(format.BitsPerSample == 8 ? EightBitSilence : 0)),
      Frequency_(format.SamplesPerSec) {}

TSoundBuffer::~TSoundBuffer() {
    Stop();
    --Mixer.BufferCount;
}

TSoundResult TSoundBuffer::Lock(std::uint32_t offset, std::uint32_t bytes, TLockedRegions& regions) {
    if (offset >= Bytes() || bytes == 0 || bytes > Bytes())
        return SoundInvalidParam;
    const std::uint32_t first = std::min(bytes, Bytes() - offset);
    regions = {Data.data() + offset, first, bytes > first ? Data.data() : nullptr, bytes - first};
    return SoundOk;
}

TSoundResult TSoundBuffer::Unlock(const TLockedRegions& regions) {
    if (regions.First == nullptr)
        return SoundInvalidParam;
    Unlocks.fetch_add(1, std::memory_order_release);
    return SoundOk;
}

void TSoundBuffer::Play(bool looping) {
    std::lock_guard lock(Mixer.Guard);
    Looping = looping;
    if (!Playing)
        Mixer.StartPlaying(*this);
}

void TSoundBuffer::Stop() {
    std::lock_guard lock(Mixer.Guard);
    if (Playing)
        Mixer.StopPlaying(*this);
}

std::uint32_t TSoundBuffer::Status() const {
    std::lock_guard lock(Mixer.Guard);
    return (Playing ? SoundStatusPlaying : 0) | (Playing && Looping ? SoundStatusLooping : 0);
}

std::uint32_t TSoundBuffer::PlayCursor() const {
    return static_cast<std::uint32_t>(Cursor.load(std::memory_order_acquire) >> FractionBits) *
           Format_.BlockAlign;
}

void TSoundBuffer::SetCurrentPosition(std::uint32_t byteOffset) {
    std::lock_guard lock(Mixer.Guard);
    const std::uint32_t frame = std::min(byteOffset / Format_.BlockAlign, Frames - 1);
    Cursor.store(std::uint64_t{frame} << FractionBits, std::memory_order_release);
}

void TSoundBuffer::SetVolume(std::int32_t hundredthsDb) {
    Volume_.store(std::clamp(hundredthsDb, SoundVolumeMin, SoundVolumeMax), std::memory_order_relaxed);
}

void TSoundBuffer::SetPan(std::int32_t hundredthsDb) {
    Pan_.store(std::clamp(hundredthsDb, SoundPanLeft, SoundPanRight), std::memory_order_relaxed);
}

void TSoundBuffer::SetFrequency(std::uint32_t hz) {
    Frequency_.store(std::clamp(hz, SoundFrequencyMin, SoundFrequencyMax), std::memory_order_relaxed);
}

bool TSoundBuffer::MixInto(float* mix, std::size_t frames) {
    // Pairs with Unlock: what a refill wrote is visible from here on.
    Unlocks.load(std::memory_order_acquire);
    const TMixGains gains = GainsOf(Volume(), Pan());
    const std::uint64_t step =
        (std::uint64_t{Frequency()} << FractionBits) / static_cast<std::uint64_t>(platform::AudioSampleRate);
    std::uint64_t cursor = Cursor.load(std::memory_order_relaxed);
    const std::uint8_t* data = Data.data();
    bool more;
    if (Format_.BitsPerSample == 16)
        more = Format_.Channels == 2
                   ? MixFrames<2, 2>(data, Frames, Looping, step, gains, cursor, mix, frames)
                   : MixFrames<2, 1>(data, Frames, Looping, step, gains, cursor, mix, frames);
    else
        more = Format_.Channels == 2
                   ? MixFrames<1, 2>(data, Frames, Looping, step, gains, cursor, mix, frames)
                   : MixFrames<1, 1>(data, Frames, Looping, step, gains, cursor, mix, frames);
    // A buffer that has played once stands at its start again.
    Cursor.store(more ? cursor : 0, std::memory_order_release);
    return more;
}

// ---- TSoundMixer

TSoundMixer::~TSoundMixer() {
    assert(BufferCount == 0);
}

TSoundResult TSoundMixer::CreateBuffer(const TWaveFormat& format, std::uint32_t bytes,
                                       std::unique_ptr<TSoundBuffer>& buffer) {
    if (!IsMixable(format))
        return SoundBadFormat;
    if (bytes < format.BlockAlign)
        return SoundInvalidParam;
    if (BufferCount == MaxBuffers)
        return SoundOutOfBuffers;
    buffer.reset(new TSoundBuffer(*this, format, bytes));
    ++BufferCount;
    return SoundOk;
}

void TSoundMixer::StartPlaying(TSoundBuffer& buffer) {
    // Every buffer fits: there are never more buffers than slots.
    PlayingBuffers[PlayingCount++] = &buffer;
    buffer.Playing = true;
}

void TSoundMixer::StopPlaying(TSoundBuffer& buffer) {
    const auto last = PlayingBuffers.begin() + static_cast<std::ptrdiff_t>(PlayingCount);
    auto found = std::find(PlayingBuffers.begin(), last, &buffer);
    assert(found != last);
    *found = *(last - 1);
    --PlayingCount;
    buffer.Playing = false;
}

void TSoundMixer::Render(std::int16_t* frames, std::size_t frameCount) noexcept {
    while (frameCount > 0) {
        const std::size_t chunk = std::min<std::size_t>(frameCount, platform::AudioBufferFrames);
        MixChunk(frames, chunk);
        frames += chunk * platform::AudioChannels;
        frameCount -= chunk;
    }
}

void TSoundMixer::MixChunk(std::int16_t* out, std::size_t frames) {
    const std::size_t samples = frames * platform::AudioChannels;
    std::fill_n(Mix.begin(), samples, 0.0f);
    {
        std::lock_guard lock(Guard);
        for (std::size_t i = 0; i < PlayingCount;) {
            TSoundBuffer& buffer = *PlayingBuffers[i];
            if (buffer.MixInto(Mix.data(), frames))
                ++i;
            else
                StopPlaying(buffer); // the last buffer moves into slot i
        }
    }
    if (IsMuted())
        std::fill_n(Mix.begin(), samples, 0.0f);
    for (std::size_t i = 0; i < samples; ++i)
        out[i] = static_cast<std::int16_t>(std::lrintf(LimitedSample(Mix[i])));
}
