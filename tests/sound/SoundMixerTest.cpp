#include "ReferenceRenderer.h"
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A mono buffer whose frame i holds sample(i).
template <typename Sample>
std::unique_ptr<TSoundBuffer> MonoBuffer(TSoundMixer& mixer, std::uint32_t frames, Sample sample) {
    std::unique_ptr<TSoundBuffer> buffer;
    EXPECT_EQ(mixer.CreateBuffer(MonoFormat, frames * 2, buffer), SoundOk);
    TLockedRegions regions;
    EXPECT_EQ(buffer->Lock(0, frames * 2, regions), SoundOk);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const std::int16_t value = sample(i);
        std::memcpy(regions.First + 2 * i, &value, 2);
    }
    EXPECT_EQ(buffer->Unlock(regions), SoundOk);
    return buffer;
}

// A mono buffer holding `value` in every frame, playing.
std::unique_ptr<TSoundBuffer> Constant(TSoundMixer& mixer, std::int16_t value, std::uint32_t frames = 4096,
                                       bool looping = true) {
    auto buffer = MonoBuffer(mixer, frames, [value](std::uint32_t) { return value; });
    buffer->Play(looping);
    return buffer;
}

} // namespace

TEST(SoundMixer, VolumeAndPanAttenuateInDecibels) {
    TSoundMixer mixer;
    auto buffer = Constant(mixer, 10000);
    buffer->SetVolume(-602); // half the amplitude
    auto out = Render(mixer, 16);
    EXPECT_NEAR(out[10], 5000, 2);
    EXPECT_NEAR(out[11], 5000, 2);

    buffer->SetVolume(0);
    buffer->SetPan(602); // to the right: the left side at half
    out = Render(mixer, 16);
    EXPECT_NEAR(out[10], 5000, 2);
    EXPECT_EQ(out[11], 10000);

    buffer->SetPan(SoundPanLeft);
    out = Render(mixer, 16);
    EXPECT_EQ(out[10], 10000);
    EXPECT_EQ(out[11], 0) << "the far side is silent";

    buffer->SetPan(0);
    buffer->SetVolume(SoundVolumeMin);
    out = Render(mixer, 16);
    EXPECT_EQ(out[10], 0);
    EXPECT_EQ(out[11], 0);
}

TEST(SoundMixer, FrequencyChangesTheRateThroughTheData) {
    TSoundMixer mixer;
    auto ramp = MonoBuffer(mixer, 4000, [](std::uint32_t i) { return static_cast<std::int16_t>(i); });

    ramp->SetFrequency(22050); // half speed: halfway values interpolated
    ramp->Play(false);
    auto out = Render(mixer, 100);
    EXPECT_EQ(out[2 * 99], 50); // 49.5 rounded to even
    EXPECT_EQ(out[2 * 98], 49);
    EXPECT_EQ(ramp->PlayCursor(), 50u * 2);

    ramp->SetFrequency(88200); // double speed
    out = Render(mixer, 100);
    EXPECT_EQ(out[0], 50);
    EXPECT_EQ(out[2 * 99], 50 + 2 * 99);
}

// The sum goes out through the soft limit: as it is below three quarters of
// full scale, bent under full scale above.
TEST(SoundMixer, ChannelsAddUpAndTheSumIsLimited) {
    const auto out = [](double sum) { return TReferenceRenderer::ToOutput({sum})[0]; };
    TSoundMixer mixer;
    std::vector<std::unique_ptr<TSoundBuffer>> buffers;
    for (int i = 0; i < 80; ++i)
        buffers.push_back(Constant(mixer, 300));
    EXPECT_EQ(Render(mixer, 8)[4], 24000);
    for (int i = 0; i < 48; ++i)
        buffers.push_back(Constant(mixer, 300));
    EXPECT_EQ(Render(mixer, 8)[4], out(128 * 300));
    for (auto& buffer : buffers)
        buffer->SetPan(SoundPanRight);
    buffers.push_back(Constant(mixer, -32768));
    buffers.push_back(Constant(mixer, -32768));
    const auto both = Render(mixer, 8);
    EXPECT_EQ(both[4], out(-2 * 32768)) << "the left side: only the two negative buffers";
    EXPECT_GT(both[4], -32767) << "never at full scale";
    EXPECT_EQ(both[5], out(128 * 300 - 2 * 32768)) << "the right side sums beyond full scale on the way";
}

TEST(SoundMixer, TheCursorWrapsInALoopAndABufferPlayedOnceStopsAtItsStart) {
    TSoundMixer mixer;
    auto ring = Constant(mixer, 1000, 1000, true);
    Render(mixer, 1024);
    EXPECT_EQ(ring->PlayCursor(), 24u * 2);
    EXPECT_EQ(ring->Status(), SoundStatusPlaying | SoundStatusLooping);
    ring->Stop();

    auto once = Constant(mixer, 1000, 1000, false);
    const auto out = Render(mixer, 1024);
    EXPECT_EQ(out[2 * 999], 1000);
    EXPECT_EQ(out[2 * 1000], 0) << "silence after the end";
    EXPECT_EQ(once->Status(), 0u);
    EXPECT_EQ(once->PlayCursor(), 0u);
}

TEST(SoundMixer, LocksSplitAtTheEndOfTheBufferAndRefuseBadSpans) {
    TSoundMixer mixer;
    std::unique_ptr<TSoundBuffer> buffer;
    ASSERT_EQ(mixer.CreateBuffer(StereoFormat, 400, buffer), SoundOk);
    TLockedRegions regions;
    ASSERT_EQ(buffer->Lock(300, 200, regions), SoundOk);
    EXPECT_EQ(regions.FirstBytes, 100u);
    EXPECT_EQ(regions.SecondBytes, 100u);
    EXPECT_EQ(regions.Second, regions.First - 300);
    EXPECT_EQ(buffer->Lock(400, 4, regions), SoundInvalidParam);
    EXPECT_EQ(buffer->Lock(0, 404, regions), SoundInvalidParam);
    EXPECT_EQ(mixer.CreateBuffer(MakePcmFormat(3, 44100, 16), 600, buffer), SoundBadFormat);
    EXPECT_EQ(mixer.CreateBuffer(StereoFormat, 0, buffer), SoundInvalidParam);
}

TEST(SoundMixer, MutedOutputIsSilenceWhileTheBuffersPlayOn) {
    TSoundMixer mixer;
    auto buffer = MonoBuffer(mixer, 4096, [](std::uint32_t i) { return static_cast<std::int16_t>(i); });
    buffer->Play(false);
    mixer.SetMuted(true);
    const auto muted = Render(mixer, 100);
    EXPECT_TRUE(std::all_of(muted.begin(), muted.end(), [](std::int16_t s) { return s == 0; }));
    mixer.SetMuted(false);
    EXPECT_EQ(Render(mixer, 1)[0], 100) << "the sound went on unheard: frame 100 is next";
}
