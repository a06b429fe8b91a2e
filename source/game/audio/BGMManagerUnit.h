#pragma once
// The game's music manager: the music player fixed to Ogg files, with the
// game's pieces named by TBGMID and a volume fade counted in timed frames.

#include "game/audio/SoundManagerUnit.h"
#include "lib/Z5BGMUnit.h"
#include "lib/Z5HashListUnit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

enum TBGMID : std::int32_t { bidNone = 0, bidGame = 1 };
inline constexpr std::int32_t BGMCount = bidGame + 1;
inline constexpr std::array<const char*, BGMCount> BGMNames = {"", "game"};
// The identifiers as text, the pieces' names in the list.
inline constexpr std::array<const char*, BGMCount> BGMIDNames = {"bidNone", "bidGame"};

inline constexpr const char* BGMFolder = "bgm/";
inline constexpr const char* LibraryFolder = "./"; // the decoder libraries may lie beside the program
inline constexpr std::int32_t FadeOutFrames = 120; // two seconds at 60 frames per second

class TBGMManager : public TZ5BGM {
public:
    static constexpr std::int32_t NameBuckets = 257;

    // Plays through the sound manager's device.
    explicit TBGMManager(TSoundManager& soundManager);
    ~TBGMManager() override;

    // The game's pieces: "bgm/.ogg" for bidNone and "bgm/game.ogg" for
    // bidGame, both looping. Pieces loaded before are destroyed.
    void LoadBGMList();
    // The index of the piece called `name`, added (empty) when new.
    std::int32_t AddBGM(const std::string& name);
    // Starts a piece from its beginning at full volume; bidNone changes nothing.
    void PlayBGM(TBGMID id);
    // Moves the volume to `target` over `frames` timed frames (at once when
    // frames <= 0): the first Update sets the start volume, Update frames + 1
    // the exact target.
    void FadeVolume(std::int32_t frames, double target);
    void FadeOutVolume();
    // The player's Update, then one step of the fade.
    void Update() override;

    bool VolumeFading() const { return VolumeFading_; }

private:
    void ResetSpeed();
    void ResetVolume();
    void StepVolumeFade();

    bool VolumeFading_ = false;
    std::int32_t VolumeStep = 0;
    std::int32_t VolumeStepCount = 0;
    double FadeStartVolume = 0.0;
    double FadeTargetVolume = 0.0;
    std::unique_ptr<TZ5HashList> NameIndex;
};
