// The sound device and the music against the plain reference of
// ReferenceRenderer.h: effects at every volume, pan and rate, music looping
// across the seams of its source and its ring, music played once to its last
// frame however the refills fall, and fades from any volume.

#include "ReferenceRenderer.h"
#include "SoundTestSupport.h"
#include "game/audio/BGMManagerUnit.h"
#include "lib/Z5OggVorbisSoundStreamUnit.h"
#include "lib/Z5StreamUnit.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t RefillFrames = 2205; // output frames between two refills at 50 ms
constexpr std::size_t FrameFrames = 735;   // output frames of one game frame at 60 per second

std::unique_ptr<TZ5SoundData> EffectOf(std::int32_t id, const std::vector<std::int16_t>& samples,
                                       const TWaveFormat& format) {
    auto data = std::make_unique<TZ5SoundData>();
    data->SoundId = id;
    data->Format = format;
    data->Stream = std::make_unique<TZ5MemoryStream>();
    data->Stream->Write(samples.data(), static_cast<std::int32_t>(samples.size() * 2));
    return data;
}

void Append(std::vector<std::int16_t>& to, const std::vector<std::int16_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

} // namespace

TEST(MixerAgainstReference, EffectsAtEveryVolumePanAndRate) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    constexpr std::size_t Frames = 2000; // fewer than the sound lasts at the highest rate
    for (const TWaveFormat& format : {MakePcmFormat(1, 22050, 16), MakePcmFormat(2, 44100, 16)}) {
        const auto samples = LoudNoise(3000, format.Channels, format.Channels);
        const auto sound = EffectOf(format.Channels, samples, format);
        for (const double volume : {1.0, 0.9, 0.77, 0.5, 0.3, 0.123, 0.01, 0.0})
            for (const double pan : {-1.0, -0.55, -0.2, 0.0, 0.35, 0.81, 1.0})
                for (const double rate : {0.5, 0.73, 1.0, 1.37, 2.0}) {
                    // Not a new channel: the loaded sound starts again with the new values.
                    ASSERT_NE(device.PlayEffect(sound.get(), false, pan, volume, rate),
                              TZ5DirectSound::NoChannel);
                    TReferenceRenderer reference(samples, format.Channels, format.SamplesPerSec, false);
                    ASSERT_TRUE(MatchesReference(Render(*device.Mixer(), Frames),
                                                 reference.Render(Frames, {volume, pan, rate})))
                        << format.Channels << " channels at " << format.SamplesPerSec << " Hz, volume "
                        << volume << ", pan " << pan << ", rate " << rate;
                }
    }
}

// Two loud sounds at once sum beyond full scale; what goes out is their sum
// through the soft limit, and never a sample at full scale.
TEST(MixerAgainstReference, ASumBeyondFullScaleGoesOutLimitedUnderIt) {
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    constexpr std::size_t Frames = 2000;
    const TWaveFormat format = MakePcmFormat(2, 44100, 16);
    const auto first = LoudNoise(3000, 2, 1);
    const auto second = LoudNoise(3000, 2, 7);
    const auto firstSound = EffectOf(1, first, format);
    const auto secondSound = EffectOf(2, second, format);
    ASSERT_NE(device.PlayEffect(firstSound.get(), true, 0.0, 1.0, 1.0), TZ5DirectSound::NoChannel);
    ASSERT_NE(device.PlayEffect(secondSound.get(), true, 0.3, 0.9, 1.0), TZ5DirectSound::NoChannel);
    std::vector<double> sum = TReferenceRenderer(first, 2, 44100, false).Mix(Frames, {1.0, 0.0, 1.0});
    const std::vector<double> other =
        TReferenceRenderer(second, 2, 44100, false).Mix(Frames, {0.9, 0.3, 1.0});
    for (std::size_t i = 0; i < sum.size(); ++i)
        sum[i] += other[i];
    const auto played = Render(*device.Mixer(), Frames);
    EXPECT_TRUE(MatchesReference(played, TReferenceRenderer::ToOutput(sum)));
    EXPECT_GT(*std::max_element(sum.begin(), sum.end()), 40000.0) << "the sum goes well beyond full scale";
    EXPECT_EQ(
        std::count_if(played.begin(), played.end(), [](std::int16_t s) { return s >= 32767 || s <= -32767; }),
        0);
}

TEST(MixerAgainstReference, LoopingMusicAtAnyRateJoinsTheEndsOfItsSourceAndItsRingToTheirStarts) {
    // Shorter than the ring, so both seams come round within a few seconds.
    const auto samples = LoudNoise(30011, 2, 7);
    TPcmSource music(samples, StereoFormat);
    TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
    TZ5StreamDirectSoundBuffer& channel = *device.StreamChannel();
    TReferenceRenderer reference(samples, 2, 44100, true);
    const TReferenceSettings settings[] = {{0.6, -0.3, 0.83}, {1.0, 0.4, 1.41}, {0.35, 0.0, 0.5}};
    ASSERT_TRUE(device.PlayStream(&music, true, settings[0].Pan, settings[0].Volume, settings[0].Rate));
    for (int tick = 0; tick < 120; ++tick) {
        const TReferenceSettings& now = settings[tick / 40];
        channel.SetPan(now.Pan);
        channel.SetVolume(now.Volume);
        channel.SetFrequency(now.Rate);
        ASSERT_TRUE(
            MatchesReference(Render(*device.Mixer(), RefillFrames), reference.Render(RefillFrames, now)))
            << "tick " << tick;
        channel.Refill();
    }
}

TEST(MixerAgainstReference, MusicPlayedOncePlaysToItsLastFrameThenSilenceHoweverTheRefillsFall) {
    constexpr std::size_t Padding = 44100 * 4; // the silence the ring holds after the sound
    for (const std::size_t frames : {700u, 52919u, 60000u, 123457u})
        for (const double rate : {1.0, 1.19}) {
            auto samples = LoudNoise(frames, 2, static_cast<std::uint32_t>(frames));
            TPcmSource music(samples, StereoFormat);
            samples.resize(samples.size() + 2 * Padding);
            TReferenceRenderer reference(samples, 2, 44100, false);
            TZ5DirectSound device(PumpedOutput(), TRefillMode::Manual);
            TZ5StreamDirectSoundBuffer& channel = *device.StreamChannel();
            ASSERT_TRUE(device.PlayStream(&music, false, 0, 1, rate));

            std::vector<std::int16_t> played;
            std::vector<std::int16_t> expected;
            std::uint32_t seed = static_cast<std::uint32_t>(frames);
            const auto playFor = [&](std::size_t chunk) {
                Append(played, Render(*device.Mixer(), chunk));
                Append(expected, reference.Render(chunk, {1.0, 0.0, rate}));
            };
            while (channel.State() == TZ5StreamDirectSoundBuffer::stPlaying) {
                ASSERT_LT(played.size() / 2, frames + Padding / 2) << "never stopped";
                seed = seed * 1103515245u + 12345u;
                playFor(300 + (seed >> 8) % 4000); // refills early and late
                channel.Refill();
                device.UpdateStream();
            }
            playFor(RefillFrames); // and silence once stopped
            EXPECT_TRUE(MatchesReference(played, expected)) << frames << " frames at rate " << rate;
        }
}

TEST(MixerAgainstReference, MusicFadesFromTheVolumeItHasToTheTarget) {
    constexpr int FadeFrames = 40;
    constexpr std::size_t Frames = (FadeFrames + 4) * FrameFrames;
    ASSERT_TRUE(TZ5OggVorbisSoundStream::LoadLibraries(""));
    TZ5OggVorbisSoundStream decoder; // the game's piece, decoded apart for the reference
    decoder.Open("bgm/game.ogg");
    const TWaveFormat format = decoder.GetFormat();
    ASSERT_EQ(format.SamplesPerSec, 44100u) << "the game's piece plays at the output's rate";
    std::vector<std::int16_t> samples(Frames * format.Channels);
    ASSERT_EQ(decoder.Read(static_cast<std::int32_t>(samples.size() * 2), samples.data()),
              static_cast<std::int32_t>(samples.size() * 2));

    for (const auto& [start, target] : {std::pair{0.4, 0.1}, {0.25, 0.9}, {1.0, 0.0}}) {
        TSoundManager sound(PumpedOutput(), TRefillMode::Manual);
        TBGMManager music(sound);
        music.LoadBGMList();
        music.PlayBGM(bidGame);
        music.SetVolume(start);
        music.FadeVolume(FadeFrames, target);
        TReferenceRenderer reference(samples, format.Channels, format.SamplesPerSec, false);
        for (int frame = 0; frame < FadeFrames + 4; ++frame) {
            music.Update();
            // Frame k of a fade over N frames sets start + (target - start) k / N; frame N + 1 the target.
            const double volume = frame < FadeFrames ? start + (target - start) * frame / FadeFrames : target;
            ASSERT_TRUE(MatchesReference(Render(*sound.Device().Mixer(), FrameFrames),
                                         reference.Render(FrameFrames, {volume, 0.0, 1.0})))
                << "from " << start << " to " << target << ", frame " << frame;
            if (frame % 3 == 2)
                sound.Device().StreamChannel()->Refill();
        }
    }
}
