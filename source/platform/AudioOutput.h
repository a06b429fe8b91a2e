#pragma once
// The sound card, as the mixer sees it: a device thread that asks for
// interleaved 16-bit stereo frames at 44100 Hz, 1024 frames at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace platform {

inline constexpr std::int32_t AudioSampleRate = 44100; // frames per second
inline constexpr std::int32_t AudioChannels = 2;
inline constexpr std::int32_t AudioBufferFrames = 1024; // frames the device asks for at a time

class AudioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills the device's buffers. Render runs on the device's own thread: it
// must not allocate, block on other threads for long, or throw.
class AudioRenderer {
public:
    virtual void Render(std::int16_t* frames, std::size_t frameCount) noexcept = 0;

protected:
    ~AudioRenderer() = default;
};

// An open, running output. Destruction closes the device and returns only
// after the device thread has left Render for good.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
};

// Opens the system's default output (SDL audio; SDL_AUDIODRIVER picks the
// driver) and starts it. Throws AudioError when there is no usable device.
std::unique_ptr<AudioOutput> OpenAudioOutput(AudioRenderer& renderer);

} // namespace platform
