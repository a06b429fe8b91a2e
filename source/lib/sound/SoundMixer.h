#pragma once
// The software mixer behind the sound device: sound buffers, each a block of
// PCM with a play cursor that is locked and unlocked region by region, plays
// once or loops, and has a volume and a pan in hundredths of a decibel and a
// playback rate in Hz; summed into the 44100 Hz 16-bit stereo output on the
// audio device's thread.
//
// Threads: buffers are created, played, stopped and destroyed on the main
// thread; one refill thread may lock, fill and unlock the part of a looping
// buffer that has already been played, reading the play cursor. The device
// thread mixes. `Guard` covers the list of playing buffers and each cursor;
// the main thread holds it only to flip a buffer's state, the device thread
// for one mixing pass. Filled bytes reach the device thread through the
// release of Unlock.

#include "lib/Z5SoundStreamUnit.h"
#include "platform/AudioOutput.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Results of the buffer operations: 0 is success, negative a failure.
using TSoundResult = std::int32_t;
inline constexpr TSoundResult SoundOk = 0;
inline constexpr TSoundResult SoundInvalidParam = -1;
inline constexpr TSoundResult SoundOutOfBuffers = -2;
inline constexpr TSoundResult SoundBadFormat = -3;

// Status bits of a buffer.
inline constexpr std::uint32_t SoundStatusPlaying = 1;
inline constexpr std::uint32_t SoundStatusLooping = 4;

inline constexpr std::int32_t SoundVolumeMin = -10000; // hundredths of a dB: silence
inline constexpr std::int32_t SoundVolumeMax = 0;
inline constexpr std::int32_t SoundPanLeft = -10000;       // the right side is silent
inline constexpr std::int32_t SoundPanRight = 10000;       // the left side is silent
inline constexpr std::uint32_t SoundFrequencyMin = 100;    // Hz
inline constexpr std::uint32_t SoundFrequencyMax = 100000; // Hz

// The mix as it goes out: as it is up to LimitKnee, and above it bent softly
// towards LimitCeiling, which it never passes, so that many sounds at once
// never reach full scale (where they would clip flat).
inline constexpr float LimitKnee = 24576.0f;    // 0.75 of full scale
inline constexpr float LimitCeiling = 32766.0f; // one step under full scale
float LimitedSample(float value);

// Linear gain of an attenuation in hundredths of a decibel; exactly 0 at
// SoundVolumeMin and below.
float AttenuationGain(std::int32_t hundredthsDb);

// A locked span of a buffer: the first region up to the buffer's end, the
// second, when the span wraps, from the buffer's start.
struct TLockedRegions {
    std::uint8_t* First = nullptr;
    std::uint32_t FirstBytes = 0;
    std::uint8_t* Second = nullptr;
    std::uint32_t SecondBytes = 0;
};

class TSoundMixer;

class TSoundBuffer {
public:
    ~TSoundBuffer(); // stops it first
    TSoundBuffer(const TSoundBuffer&) = delete;
    TSoundBuffer& operator=(const TSoundBuffer&) = delete;

    // `bytes` from `offset` (both within the buffer; bytes > 0).
    TSoundResult Lock(std::uint32_t offset, std::uint32_t bytes, TLockedRegions& regions);
    // Hands what was written in the regions to the device thread.
    TSoundResult Unlock(const TLockedRegions& regions);

    void Play(bool looping);
    void Stop();
    std::uint32_t Status() const;
    // Byte offset of the next frame to be played; any thread.
    std::uint32_t PlayCursor() const;
    void SetCurrentPosition(std::uint32_t byteOffset);

    void SetVolume(std::int32_t hundredthsDb);
    void SetPan(std::int32_t hundredthsDb);
    void SetFrequency(std::uint32_t hz);
    std::int32_t Volume() const { return Volume_.load(std::memory_order_relaxed); }
    std::int32_t Pan() const { return Pan_.load(std::memory_order_relaxed); }
    std::uint32_t Frequency() const { return Frequency_.load(std::memory_order_relaxed); }

    const TWaveFormat& Format() const { return Format_; }
    std::uint32_t Bytes() const { return static_cast<std::uint32_t>(Data.size()); }

private:
    friend class TSoundMixer;
    TSoundBuffer(TSoundMixer& mixer, const TWaveFormat& format, std::uint32_t bytes);

    // Mixes up to `frames` output frames into `mix` (interleaved stereo);
    // false when a buffer that plays once has reached its end. Device thread,
    // under the mixer's guard.
    bool MixInto(float* mix, std::size_t frames);

    TSoundMixer& Mixer;
    const TWaveFormat Format_;
    const std::uint32_t Frames; // whole frames in Data
    std::vector<std::uint8_t> Data;

    // Playing state, under the mixer's guard; the cursor is also read
    // without it. Cursor: frames in 32.32 fixed point, so rates that are not
    // the output's step through the data exactly.
    std::atomic<std::uint64_t> Cursor{0};
    bool Playing = false;
    bool Looping = false;
    std::atomic<std::uint32_t> Unlocks{0}; // published fills

    std::atomic<std::int32_t> Volume_{SoundVolumeMax};
    std::atomic<std::int32_t> Pan_{0};
    std::atomic<std::uint32_t> Frequency_;
};

class TSoundMixer final : public platform::AudioRenderer {
public:
    static constexpr std::size_t MaxBuffers = 256; // buffers that may exist at once

    TSoundMixer() = default;
    ~TSoundMixer(); // every buffer must be gone first
    TSoundMixer(const TSoundMixer&) = delete;
    TSoundMixer& operator=(const TSoundMixer&) = delete;

    // A silent buffer of `bytes` bytes of 8- or 16-bit mono or stereo PCM,
    // playing at the format's own rate, which must lie within
    // SoundFrequencyMin..SoundFrequencyMax: a rate outside could not be
    // played at its own speed, and a damaged file's rate would size a
    // streaming ring of gigabytes.
    TSoundResult CreateBuffer(const TWaveFormat& format, std::uint32_t bytes,
                              std::unique_ptr<TSoundBuffer>& buffer);

    // Device thread: the next `frameCount` output frames.
    void Render(std::int16_t* frames, std::size_t frameCount) noexcept override;

    // While muted the output is silence; the buffers play on unheard, so the
    // music goes on in time.
    void SetMuted(bool muted) { Muted.store(muted, std::memory_order_relaxed); }
    bool IsMuted() const { return Muted.load(std::memory_order_relaxed); }

private:
    friend class TSoundBuffer;
    void StartPlaying(TSoundBuffer& buffer); // under Guard
    void StopPlaying(TSoundBuffer& buffer);  // under Guard
    void MixChunk(std::int16_t* out, std::size_t frames);

    std::mutex Guard;
    std::size_t BufferCount = 0; // existing buffers, main thread only
    std::array<TSoundBuffer*, MaxBuffers> PlayingBuffers{};
    std::size_t PlayingCount = 0;
    std::atomic<bool> Muted{false};
    std::array<float, platform::AudioBufferFrames * platform::AudioChannels> Mix{}; // device thread scratch
};
