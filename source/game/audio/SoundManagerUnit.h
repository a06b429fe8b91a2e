#pragma once
// The sound manager: owns the sound device and the table of sound effects.
// Requests for an effect gather during a frame; Update turns them into at
// most one sound per effect per frame (the requests averaged), with a
// cooldown in frames per effect. An effect sounds once a sound file has been
// loaded into its item.

#include "lib/Z5HashListUnit.h"
#include "lib/sound/Z5DirectSoundUnit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

enum TSoundEffectID : std::int32_t {
    seNone,
    seHit1,
    seHit2,
    seHit3,
    seHit4,
    seHit5,
    seSelect,
    seDecide,
    seClear
};
inline constexpr std::int32_t SoundEffectCount = seClear + 1;
inline constexpr std::array<const char*, SoundEffectCount> SoundEffectNames = {
    "", "Hit1", "Hit2", "Hit3", "Hit4", "Hit5", "select", "decide", "clear"};

// One request: Pan -1..1, Volume 0..1, Frequency as a ratio of the sound's own rate.
struct TSoundRequest {
    double Pan = 0.0;
    double Volume = 0.0;
    double Frequency = 0.0;
};

class TSoundEffectItem {
public:
    static constexpr std::int32_t MaxRequests = 20;

    // May the effect sound this frame? If so, counts the play and starts its cooldown.
    bool CanPlay();
    // The frame's requests averaged field by field; RequestCount > 0.
    TSoundRequest AverageRequest() const;

    TZ5SoundData* Source = nullptr; // not owned
    double Volume = 0.0;            // factor on the averaged request volume
    double Frequency = 0.0;         // factor on the averaged request frequency
    std::int32_t PlaysThisFrame = 0;
    std::int32_t Cooldown = 0;       // frames before the effect may sound again
    std::int32_t CooldownFrames = 0; // what Cooldown is set to when it sounds
    std::int32_t MaxPlaysPerFrame = 0;
    std::array<TSoundRequest, MaxRequests> Requests{};
    std::int32_t RequestCount = 0;
};

class TSoundManager {
public:
    static constexpr std::int32_t SoundDataBuckets = 257;

    // Opens the sound device on the system's audio output (or `openOutput`).
    explicit TSoundManager(TSoundOutputOpener openOutput = platform::OpenAudioOutput,
                           TRefillMode refill = TRefillMode::Timer);
    ~TSoundManager();
    TSoundManager(const TSoundManager&) = delete;
    TSoundManager& operator=(const TSoundManager&) = delete;

    // Once per timed frame: services the music stream, then plays the
    // frame's effects.
    void Update();

    // Reads a WAVE file into the effect's item, to be played at its own
    // volume and rate, at most once every `cooldownFrames` + 1 frames. A
    // missing or damaged file raises an error naming it; the item keeps what
    // it had.
    void LoadEffect(TSoundEffectID id, const std::string& fileName, std::int32_t cooldownFrames);
    // Asks for the effect in this frame; beyond MaxRequests in one frame a
    // request is dropped.
    void Request(TSoundEffectID id, double pan = 0.0, double volume = 1.0, double frequency = 1.0);

    TZ5DirectSound& Device() const { return *Device_; }
    TSoundEffectItem& Item(TSoundEffectID id) const { return *Items[static_cast<std::size_t>(id)]; }
    // The sound data the effects play, each held as an object reference; owned.
    TZ5HashList& SoundDataList() const { return *SoundDataList_; }

    // While set, requests wait (neither played nor dropped); cooldowns run on.
    bool Muted = false;

private:
    void PlayRequested(TSoundEffectItem& item);

    std::unique_ptr<TZ5HashList> SoundDataList_;
    std::unique_ptr<TZ5DirectSound> Device_;
    std::array<std::unique_ptr<TSoundEffectItem>, SoundEffectCount> Items;
};
