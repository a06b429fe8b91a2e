#include "SoundTestSupport.h"
#include "game/audio/BGMManagerUnit.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace {

// The game's music manager on a device the test pumps, in the game folder.
class BGMManager : public testing::Test {
protected:
    BGMManager() { Music.LoadBGMList(); }

    TZ5StreamDirectSoundBuffer& Channel() { return *Sound.Device().StreamChannel(); }
    std::vector<std::int16_t> Play(std::size_t frames) { return Render(*Sound.Device().Mixer(), frames); }

    TSoundManager Sound{PumpedOutput(), TRefillMode::Manual};
    TBGMManager Music{Sound};
};

} // namespace

TEST_F(BGMManager, TheListNamesTheGamePieces) {
    ASSERT_EQ(Music.PieceCount(), 2);
    EXPECT_EQ(Music.Piece(bidNone)->FileName, "bgm/.ogg");
    EXPECT_EQ(Music.Piece(bidGame)->FileName, "bgm/game.ogg");
    EXPECT_TRUE(Music.Piece(bidGame)->Loop);
    EXPECT_EQ(Music.AddBGM("bidGame"), 1) << "known names keep their index";
    EXPECT_EQ(Music.AddBGM("extra"), 2);
    Music.LoadBGMList();
    EXPECT_EQ(Music.PieceCount(), 2) << "the list starts over";
}

TEST_F(BGMManager, PlayingTheGamePieceAgainStartsItFromTheBeginning) {
    Music.PlayBGM(bidGame);
    ASSERT_EQ(Channel().State(), TZ5StreamDirectSoundBuffer::stPlaying);
    EXPECT_TRUE(Music.IsPlaying());
    const auto opening = Play(4096);
    for (int tick = 0; tick < 5; ++tick) {
        Play(2205);
        Channel().Refill();
    }
    Music.PlayBGM(bidGame);
    EXPECT_EQ(Play(4096), opening);
    EXPECT_GT(*std::max_element(opening.begin(), opening.end()), 1000) << "music, not silence";
}

TEST_F(BGMManager, FadeOutStepsDownOverTwoSecondsToExactlyZero) {
    Music.PlayBGM(bidGame);
    Music.FadeOutVolume();
    std::vector<double> volumes;
    for (int frame = 0; frame < 121; ++frame) {
        EXPECT_TRUE(Music.VolumeFading());
        Music.Update();
        volumes.push_back(Music.Volume());
    }
    EXPECT_EQ(volumes[0], 1.0);
    EXPECT_NEAR(volumes[1], 0.99167, 1e-5);
    EXPECT_NEAR(volumes[119], 0.00833, 1e-5);
    EXPECT_EQ(volumes[120], 0.0);
    EXPECT_FALSE(Music.VolumeFading());
    EXPECT_EQ(Channel().Volume(), 0.0);
    EXPECT_EQ(Channel().Buffer()->Volume(), SoundVolumeMin);
    EXPECT_EQ(Channel().State(), TZ5StreamDirectSoundBuffer::stPlaying) << "playing on, silently";

    Music.PlayBGM(bidGame);
    EXPECT_EQ(Music.Volume(), 1.0);
    EXPECT_EQ(Channel().Buffer()->Volume(), 0);
}

TEST_F(BGMManager, NoneChangesNothingAndAnIndexPastTheListOnlyStops) {
    Music.PlayBGM(bidGame);
    Music.SetVolume(0.5);
    Music.PlayBGM(bidNone);
    EXPECT_EQ(Music.Volume(), 0.5);
    EXPECT_EQ(Music.CurrentIndex(), bidGame);

    Music.Play(2);
    EXPECT_EQ(Music.CurrentIndex(), TZ5BGM::NoPiece);
    EXPECT_FALSE(Music.IsPlaying());
    EXPECT_EQ(Channel().State(), TZ5StreamDirectSoundBuffer::stStopped);
}

TEST_F(BGMManager, AMissingPieceRaisesItsOpenMessageAndNothingPlays) {
    Music.Piece(bidGame)->FileName = "bgm/missing.ogg";
    try {
        Music.PlayBGM(bidGame);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("ファイル名bgm/missing.ogg"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Music.CurrentIndex(), bidGame);
    EXPECT_EQ(Channel().State(), TZ5StreamDirectSoundBuffer::stStopped);
}

TEST(BGMManagerWithoutSound, PlaysNothingAndSaysNothing) {
    TSoundManager sound(MissingOutput());
    TBGMManager music(sound);
    music.LoadBGMList();
    music.PlayBGM(bidGame);
    music.FadeOutVolume();
    music.Update();
    EXPECT_EQ(sound.Device().StreamChannel(), nullptr);
}
