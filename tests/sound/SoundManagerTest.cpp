#include "SoundTestSupport.h"
#include "game/audio/SoundManagerUnit.h"

#include <gtest/gtest.h>

#include "lib/Z5StreamUnit.h"

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
