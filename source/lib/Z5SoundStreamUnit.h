#pragma once
// A source of decoded PCM that the streaming sound channel pulls from, on
// demand and from its refill timer's thread.

#include <cstdint>
#include <memory>
#include <string>

// The 18-byte PCM format block of a sound, field for field.
struct TWaveFormat {
    std::uint16_t FormatTag = 0;
    std::uint16_t Channels = 0;
    std::uint32_t SamplesPerSec = 0;
    std::uint32_t AvgBytesPerSec = 0;
    std::uint16_t BlockAlign = 0; // bytes of one frame: every channel's sample
    std::uint16_t BitsPerSample = 0;
    std::uint16_t ExtraSize = 0;
};

inline constexpr std::uint16_t WaveFormatPcm = 1;

// Little-endian integer PCM with `channels` channels of `bits` bits each.
TWaveFormat MakePcmFormat(std::uint16_t channels, std::uint32_t samplesPerSec, std::uint16_t bits);

class TZ5SoundStream {
public:
    virtual ~TZ5SoundStream() = default;
    TZ5SoundStream(const TZ5SoundStream&) = delete;
    TZ5SoundStream& operator=(const TZ5SoundStream&) = delete;

    virtual void Open(const std::string& fileName) = 0;
    virtual void Close() = 0;
    // Back to the first sample.
    virtual void Rewind() = 0;
    // Up to `size` bytes of PCM into `buffer`; fewer only at the end of the
    // sound, 0 after it.
    virtual std::int32_t Read(std::int32_t size, void* buffer) = 0;

    // A copy of the format block; all zero before the first Open.
    TWaveFormat GetFormat() const { return Format ? *Format : TWaveFormat{}; }
    // The whole sound's PCM length in bytes.
    std::uint32_t Length() const { return Length_; }

protected:
    TZ5SoundStream() = default;

    // Made by the subclass on its first Open.
    std::unique_ptr<TWaveFormat> Format;
    std::uint32_t Length_ = 0;
};
