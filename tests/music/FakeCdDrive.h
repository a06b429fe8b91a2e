#pragma once
// A drive of the tests' own for the audio-CD device: a disc of five audio
// tracks of one minute each (unless a test changes it), the plays it was asked
// for, and an audio status the test sets.

#include "platform/CdDrive.h"
#include "platform/Mci.h"

#include <atomic>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

inline constexpr std::uint32_t FakeTrackSectors = 60 * platform::CdFramesPerSecond;

struct FakeDisc {
    std::optional<platform::CdTableOfContents> Toc; // nullopt: no disc
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Plays;
    int Stops = 0;
    std::atomic<platform::CdAudioStatus> Status{platform::CdAudioStatus::Playing};

    FakeDisc() {
        platform::CdTableOfContents toc;
        for (int number = 1; number <= 5; ++number)
            toc.Tracks.push_back({number, true, static_cast<std::uint32_t>(number - 1) * FakeTrackSectors});
        toc.LeadOut = 5 * FakeTrackSectors;
        Toc = toc;
    }

    std::uint32_t StartOf(int track) const { return Toc->Tracks[static_cast<std::size_t>(track - 1)].Start; }
};

class FakeCdDrive final : public platform::CdDrive {
public:
    explicit FakeCdDrive(FakeDisc& disc) : Disc(disc) {}
    std::optional<platform::CdTableOfContents> ReadTableOfContents() override { return Disc.Toc; }
    bool PlayAudio(std::uint32_t from, std::uint32_t to) override {
        Disc.Plays.emplace_back(from, to);
        return true;
    }
    void StopAudio() override { ++Disc.Stops; }
    platform::CdAudioStatus AudioStatus() override { return Disc.Status.load(); }

private:
    FakeDisc& Disc;
};

// "open cdaudio" finds `disc` in the drive (or no drive at all with null)
// until the object goes.
class FakeDriveInstalled {
public:
    explicit FakeDriveInstalled(FakeDisc* disc) {
        platform::SetCdDriveOpener([disc]() -> std::unique_ptr<platform::CdDrive> {
            return disc ? std::make_unique<FakeCdDrive>(*disc) : nullptr;
        });
    }
    ~FakeDriveInstalled() {
        platform::MciSendString("close cdaudio", nullptr, nullptr);
        platform::SetCdDriveOpener({});
    }
    FakeDriveInstalled(const FakeDriveInstalled&) = delete;
    FakeDriveInstalled& operator=(const FakeDriveInstalled&) = delete;
};
