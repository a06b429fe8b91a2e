#pragma once
// What the audio-CD device needs of a drive: the disc's table of contents,
// playing a range through the drive's own audio output, stopping, and the
// state of that play. On the system it is a drive (or a disc image) read
// through libcdio; tests put a drive of their own in its place.
//
// Positions are sectors (frames of 1/75 s) from the start of the disc's data.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

inline constexpr int CdFramesPerSecond = 75;

struct CdTrackInfo {
    int Number = 0;
    bool Audio = false; // a data track cannot be played as sound
    std::uint32_t Start = 0;
};

struct CdTableOfContents {
    std::vector<CdTrackInfo> Tracks; // in disc order
    std::uint32_t LeadOut = 0;       // where the last track ends
};

enum class CdAudioStatus : std::uint8_t { Playing, Paused, Completed, Failed, Idle };

class CdDrive {
public:
    virtual ~CdDrive() = default;
    // Nullopt when there is no disc or its table cannot be read.
    virtual std::optional<CdTableOfContents> ReadTableOfContents() = 0;
    // Plays [from, to) through the drive's audio output and returns at once;
    // false when the drive refuses (no audio play command, a data track).
    virtual bool PlayAudio(std::uint32_t from, std::uint32_t to) = 0;
    virtual void StopAudio() = 0;
    virtual CdAudioStatus AudioStatus() = 0;
};

// The system's default drive, or the drive or disc image (a .cue or .toc file)
// named by `source`. Null when there is none.
std::unique_ptr<CdDrive> OpenCdDrive(const std::string& source = {});

} // namespace platform
