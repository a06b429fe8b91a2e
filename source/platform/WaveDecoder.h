#pragma once
// Sound files of the game's effects: RIFF WAVE files of 8- or 16-bit PCM,
// read through SDL's WAVE reader.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct WaveSound {
    std::uint16_t Channels = 0;
    std::uint32_t SamplesPerSec = 0;
    std::uint16_t BitsPerSample = 0; // 8 (unsigned) or 16 (signed, little-endian)
    std::vector<std::uint8_t> Pcm;   // whole frames, interleaved
};

// Reads a whole WAVE file; a missing, damaged or empty file, or one of
// another sample format, raises a FileError whose message names the file.
WaveSound LoadWave(const std::string& fileName);

} // namespace platform
