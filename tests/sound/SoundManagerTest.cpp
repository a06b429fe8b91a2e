#include "SoundTestSupport.h"
#include "game/audio/SoundManagerUnit.h"

#include <gtest/gtest.h>

#include "lib/Z5StreamUnit.h"

#include <fstream>
#include <string>

namespace {

class SoundManager : public testing::Test {
protected:
    SoundManager() {
        // A loaded effect, held by the manager's list as the game's loader would.
        auto* data = new TZ5SoundData{7, MonoFormat, std::make_unique<TZ5MemoryStream>()};
        const std::int16_t frames[100] = {};
        data->Stream->Write(frames, sizeof frames);
        Sound.SoundDataList().SetPointer("select", data);
        Select.Source = data;
        Select.Volume = 1.0;
        Select.Frequency = 1.0;
    }

    void Request(double pan) { Select.Requests[Select.RequestCount++] = {pan, 1.0, 1.0}; }
    TZ5DirectSoundBuffer& Channel() { return *Sound.Device().EffectChannel(0); }

    TSoundManager Sound{PumpedOutput(), TRefillMode::Manual};
    TSoundEffectItem& Select = Sound.Item(seSelect);
};

} // namespace

TEST_F(SoundManager, RequestsOfAFrameSoundOnceAveraged) {
    Request(-1);
    Request(0);
    Request(1);
    Sound.Update();
    EXPECT_EQ(Select.RequestCount, 0);
    EXPECT_EQ(Select.MaxPlaysPerFrame, 1);
    EXPECT_EQ(Select.PlaysThisFrame, 0);
    EXPECT_TRUE(Channel().IsPlaying());
    EXPECT_EQ(Channel().Pan(), 0.0) << "centred";
    EXPECT_FALSE(Sound.Device().EffectChannel(1)->IsPlaying()) << "once";
}

TEST_F(SoundManager, ACooldownLetsTheEffectSoundEveryThirdFrame) {
    Select.CooldownFrames = 3;
    std::vector<int> sounded;
    for (int frame = 1; frame <= 9; ++frame) {
        Request(0);
        Sound.Update();
        if (Select.Cooldown == 2)
            sounded.push_back(frame);
        EXPECT_EQ(Select.RequestCount, 0) << "dropped during the cooldown";
        EXPECT_EQ(Select.PlaysThisFrame, 0);
    }
    EXPECT_EQ(sounded, (std::vector<int>{1, 4, 7}));
}

TEST_F(SoundManager, MutedKeepsTheRequestsWhileTheCooldownRunsDown) {
    Select.Cooldown = 2;
    Sound.Muted = true;
    Request(0);
    Sound.Update();
    EXPECT_EQ(Select.RequestCount, 1);
    EXPECT_EQ(Select.Cooldown, 1);
    EXPECT_FALSE(Channel().IsPlaying());
}

TEST_F(SoundManager, ALoadedWaveFileSoundsWithItsOwnSamplesAndRate) {
    const std::string fileName = testing::TempDir() + "/effect.wav";
    {
        // 8-bit mono at 11025 Hz: five frames.
        const unsigned char wave[] = {'R', 'I', 'F',  'F',  41, 0,   0,   0,   'W', 'A', 'V', 'E',  'f',
                                      'm', 't', ' ',  16,   0,  0,   0,   1,   0,   1,   0,   0x11, 0x2B,
                                      0,   0,   0x11, 0x2B, 0,  0,   1,   0,   8,   0,   'd', 'a',  't',
                                      'a', 5,   0,    0,    0,  128, 160, 192, 224, 255};
        std::ofstream(fileName, std::ios::binary).write(reinterpret_cast<const char*>(wave), sizeof wave);
    }
    Sound.LoadEffect(seHit3, fileName, 4);
    const TSoundEffectItem& item = Sound.Item(seHit3);
    ASSERT_NE(item.Source, nullptr);
    EXPECT_EQ(item.Source->Format.SamplesPerSec, 11025u);
    EXPECT_EQ(item.Source->Format.BitsPerSample, 8);
    EXPECT_EQ(item.Source->Stream->GetSize(), 5);
    EXPECT_EQ(item.CooldownFrames, 4);
    EXPECT_EQ(Sound.SoundDataList().GetPointer("Hit3"), item.Source) << "the list owns it";
    Sound.Request(seHit3, 0.5);
    Sound.Update();
    ASSERT_TRUE(Channel().IsPlaying());
    EXPECT_EQ(Channel().SoundId(), seHit3);
    EXPECT_EQ(Channel().Pan(), 0.5);
}

TEST_F(SoundManager, ADamagedWaveFileIsRefusedByName) {
    const std::string fileName = testing::TempDir() + "/damaged.wav";
    std::ofstream(fileName, std::ios::binary) << "RIFF\x10\0\0\0WAVEfmt garbage";
    const TZ5SoundData* before = Sound.Item(seHit3).Source;
    try {
        Sound.LoadEffect(seHit3, fileName, 0);
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(fileName), std::string::npos) << error.what();
    }
    EXPECT_EQ(Sound.Item(seHit3).Source, before);
    EXPECT_THROW(Sound.LoadEffect(seHit3, testing::TempDir() + "/missing.wav", 0), Exception);
}

TEST_F(SoundManager, RequestsBeyondTwentyInAFrameAreDropped) {
    for (int i = 0; i < 25; ++i)
        Sound.Request(seSelect, i < 20 ? 0.0 : 1.0);
    EXPECT_EQ(Select.RequestCount, TSoundEffectItem::MaxRequests);
    Sound.Update();
    EXPECT_EQ(Channel().Pan(), 0.0) << "the last five never counted";
}
