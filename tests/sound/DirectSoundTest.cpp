#include "SoundTestSupport.h"

#include <gtest/gtest.h>

#include "lib/Z5StreamUnit.h"

#include <cfenv>

namespace {

// A sound of `frames` frames of `value`, mono.
std::unique_ptr<TZ5SoundData> Sound(std::int32_t id, std::int16_t value = 1000, std::int32_t frames = 44100) {
    auto data = std::make_unique<TZ5SoundData>();
    data->SoundId = id;
    data->Format = MonoFormat;
    data->Stream = std::make_unique<TZ5MemoryStream>();
    for (std::int32_t i = 0; i < frames; ++i)
        data->Stream->Write(&value, 2);
    return data;
}

} // namespace

TEST(DirectSound, ValueMappingsInHundredthsOfADecibel) {
    EXPECT_EQ(VolumeToAttenuation(0.0), -10000);
    EXPECT_EQ(VolumeToAttenuation(1.0), 0);
    EXPECT_EQ(VolumeToAttenuation(0.5), -602);
    EXPECT_EQ(VolumeToAttenuation(2.0), 0);
    EXPECT_EQ(PanToAttenuation(-1.0), -10000);
    EXPECT_EQ(PanToAttenuation(1.0), 10000);
    EXPECT_EQ(PanToAttenuation(0.5), 602);
    EXPECT_EQ(PanToAttenuation(-0.5), -602);
    EXPECT_EQ(RatioToFrequency(44100, 3.0), 88200u) << "ratios above 2 count as 2";
    EXPECT_EQ(RatioToFrequency(44100, 0.0), 100u);
    EXPECT_EQ(RatioToFrequency(60000, 2.0), 100000u);
    EXPECT_EQ(RatioToFrequency(44101, 0.5), 22050u) << "ties go to even";
    EXPECT_EQ(RatioToFrequency(44103, 0.5), 22052u);
}

TEST(DirectSound, ValueMappingsRoundToTheNearestWhateverTheCallersRoundingMode) {
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        EXPECT_EQ(VolumeToAttenuation(0.3), -1046) << "-1045.76, mode " << mode;
        EXPECT_EQ(VolumeToAttenuation(0.9), -92) << "-91.5, mode " << mode;
        EXPECT_EQ(PanToAttenuation(-0.3), -310) << "309.80, mode " << mode;
        EXPECT_EQ(RatioToFrequency(44101, 0.5), 22050u) << "mode " << mode;
        EXPECT_EQ(RatioToFrequency(44100, 0.3), 13230u) << "mode " << mode;
        EXPECT_EQ(std::fegetround(), mode);
    }
    std::fesetround(FE_TONEAREST);
}

TEST(DirectSound, TheSoundAfterAllChannelsTakesTheChannelUsedLast) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    std::vector<std::unique_ptr<TZ5SoundData>> sounds;
    for (std::int32_t id = 0; id < 129; ++id) {
        sounds.push_back(Sound(id));
        EXPECT_EQ(device.PlayEffect(sounds.back().get(), true, 0, 1, 1), std::min(id, 127));
    }
    EXPECT_EQ(device.EffectChannel(127)->SoundId(), 128);
    EXPECT_EQ(device.EffectChannel(0)->SoundId(), 0) << "the oldest keeps playing";
    EXPECT_TRUE(device.EffectChannel(0)->IsPlaying());
}

TEST(DirectSound, ReplayingALoadedSoundReusesItsChannel) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    std::vector<std::unique_ptr<TZ5SoundData>> sounds;
    for (std::int32_t id = 0; id < 6; ++id) {
        sounds.push_back(Sound(id));
        device.PlayEffect(sounds.back().get(), true, 0, 1, 1);
    }
    const TSoundBuffer* loaded = device.EffectChannel(5)->Buffer();
    Render(*device.Mixer(), 2000);
    EXPECT_EQ(device.PlayEffect(sounds[5].get(), false, 0.5, 0.5, 1), 5);
    EXPECT_EQ(device.EffectChannel(5)->Buffer(), loaded) << "not loaded again";
    EXPECT_EQ(loaded->PlayCursor(), 0u) << "restarted";
    EXPECT_EQ(loaded->Pan(), 602);
    EXPECT_EQ(loaded->Volume(), -602);

    TZ5SoundData empty;
    EXPECT_EQ(device.PlayEffect(&empty, true, 0, 1, 1), TZ5DirectSound::NoChannel) << "no PCM: not loaded";
}

TEST(DirectSound, WithoutAnAudioDeviceNothingPlays) {
    TZ5DirectSound device(MissingOutput());
    EXPECT_TRUE(device.Failed());
    EXPECT_FALSE(device.Enabled());
    auto sound = Sound(1);
    TPcmSource music(1000);
    EXPECT_EQ(device.PlayEffect(sound.get(), true, 0, 1, 1), -1);
    EXPECT_FALSE(device.PlayStream(&music, true, 0, 1, 1));
    device.UpdateStream();
    device.StopStream();
}

TEST(DirectSound, AShortSourcePlaysOutThenTheChannelFinishesAndStops) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    TZ5StreamDirectSoundBuffer& channel = *device.StreamChannel();
    TPcmSource music(10000); // shorter than the ring
    ASSERT_TRUE(device.PlayStream(&music, false, 0, 1, 1));
    EXPECT_EQ(channel.Ring().BufferBytes(), 211680u);
    EXPECT_TRUE(channel.Ring().EndOfSource());
    EXPECT_EQ(channel.Ring().TailBytes(), 40000u);

    std::vector<std::int16_t> played;
    while (channel.State() == TZ5StreamDirectSoundBuffer::stPlaying && played.size() < 44100 * 2 * 3) {
        const auto out = Render(*device.Mixer(), 2205); // 50 ms
        played.insert(played.end(), out.begin(), out.end());
        channel.Refill();
        device.UpdateStream();
    }
    EXPECT_EQ(channel.State(), TZ5StreamDirectSoundBuffer::stStopped);
    EXPECT_LT(played.size(), 44100u * 2 * 2) << "stopped within the ring's length and a tick or two";
    EXPECT_EQ(played[2 * 9999], 9999);
    EXPECT_EQ(played[2 * 9999 + 1], -9999);
    EXPECT_EQ(played[2 * 10000], 0) << "silence after the sound";
}

TEST(DirectSound, ALoopingSourceShorterThanARefillRepeatsWithoutAGap) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    TZ5StreamDirectSoundBuffer& channel = *device.StreamChannel();
    TPcmSource music(700); // 700 frames: read many times in one region
    ASSERT_TRUE(device.PlayStream(&music, true, 0, 1, 1));
    for (int tick = 0; tick < 40; ++tick) { // two turns of the ring
        const auto out = Render(*device.Mixer(), 2205);
        channel.Refill();
        ASSERT_EQ(channel.Ring().WritePos(), channel.Buffer()->PlayCursor());
        const std::size_t first = static_cast<std::size_t>(tick) * 2205;
        for (std::size_t i = 0; i < 2205; ++i)
            ASSERT_EQ(out[2 * i], static_cast<std::int16_t>((first + i) % 700)) << "tick " << tick;
    }
    EXPECT_FALSE(channel.Ring().EndOfSource());
}

TEST(DirectSound, ASourceThatFailsSilencesTheMusicAndTheNextUpdateStopsIt) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    TZ5StreamDirectSoundBuffer& channel = *device.StreamChannel();
    TPcmSource music(200000);
    ASSERT_TRUE(device.PlayStream(&music, true, 0, 1, 1));
    music.ReadsBeforeFailure = 0;
    Render(*device.Mixer(), 2205);
    channel.Refill(); // throws inside: caught
    EXPECT_EQ(channel.Buffer()->Status(), 0u) << "silent at once";
    const int readsAtFailure = music.Reads;
    channel.Refill();
    EXPECT_EQ(music.Reads, readsAtFailure) << "a failed source is left alone until Update stops it";
    device.UpdateStream();
    EXPECT_EQ(channel.State(), TZ5StreamDirectSoundBuffer::stStopped);

    music.ReadsBeforeFailure = 0; // at once, in the first fill
    EXPECT_TRUE(device.PlayStream(&music, true, 0, 1, 1));
    EXPECT_EQ(channel.Buffer()->Status(), 0u);
    device.UpdateStream();
    EXPECT_EQ(channel.State(), TZ5StreamDirectSoundBuffer::stStopped);
}

TEST(DirectSound, AStreamAtARateBeyondThePlayableOnesGetsNoRing) {
    // A damaged file's rate sizes the ring; this one would take 960 kB.
    struct TTooFastSource : TPcmSource {
        TTooFastSource() : TPcmSource(100) { *Format = MakePcmFormat(2, SoundFrequencyMax * 2, 16); }
    } music;
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    EXPECT_FALSE(device.PlayStream(&music, true, 0, 1, 1));
    EXPECT_EQ(device.StreamChannel()->Buffer(), nullptr);
}

TEST(DirectSound, ALoopingSourceWithNothingToPlayEndsInsteadOfStartingOverAndOver) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    TZ5StreamDirectSoundBuffer& channel = *device.StreamChannel();
    int starts = 0;
    channel.OnPlay = [&starts] { ++starts; };
    TPcmSource music(0); // a file with headers and no audio
    ASSERT_TRUE(device.PlayStream(&music, true, 0, 1, 1));
    for (int frame = 0; frame < 100 && channel.State() == TZ5StreamDirectSoundBuffer::stPlaying; ++frame) {
        Render(*device.Mixer(), 735);
        channel.Refill();
        device.UpdateStream();
    }
    EXPECT_EQ(channel.State(), TZ5StreamDirectSoundBuffer::stStopped);
    EXPECT_EQ(starts, 1) << "started once, never again";
    EXPECT_LE(music.Rewinds, 2) << "the start's rewind and the one that found nothing";
}
