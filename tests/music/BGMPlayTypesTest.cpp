#include "FakeCdDrive.h"
#include "MessagePump.h"
#include "MidiFile.h"
#include "lib/Z5BGMUnit.h"
#include "lib/Z5LogUnit.h"
#include "platform/MidiOutput.h"
#include "platform/WindowMessages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace platform;

namespace {

std::unique_ptr<TZ5BGMData> CDPiece(std::int32_t track, bool loop) {
    auto piece = std::make_unique<TZ5BGMData>();
    piece->Track = track;
    piece->Loop = loop;
    return piece;
}

// The music player on the CD type with a track-5 piece that loops (0) and a
// track-3 piece that does not (1).
class CDMusic : public ::testing::Test {
protected:
    CDMusic() {
        Music.AddPiece(CDPiece(5, true));
        Music.AddPiece(CDPiece(3, false));
        Music.SetEnabled(true);
    }

    void Notify(std::uintptr_t code) {
        SendMessage(Music.WindowHandle(), MM_MCINOTIFY, code, CdAudioDeviceId);
    }

    using Range = std::pair<std::uint32_t, std::uint32_t>;
    Range Track(int number) const {
        return {Disc.StartOf(number), number == 5 ? Disc.Toc->LeadOut : Disc.StartOf(number + 1)};
    }

    FakeDisc Disc;
    FakeDriveInstalled Drive{&Disc};
    TZ5BGM Music{"./"};
};

// The log lines written while the object lives.
class LogWatch {
public:
    LogWatch() : Start(Read().size()) {}
    std::vector<std::string> Lines() const {
        std::istringstream text(Read().substr(Start));
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);)
            if (const auto colon = line.find(": "); colon != std::string::npos)
                lines.push_back(line.substr(colon + 2, line.find_last_not_of('\r') - colon - 1));
        return lines;
    }

private:
    static std::string Read() {
        std::ifstream file(Log().FileName(), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    std::size_t Start;
};

} // namespace

TEST_F(CDMusic, APiecePlaysItsTrackToTheNextOrTheLastToTheEndOfTheDisc) {
    Music.Play(0);
    EXPECT_TRUE(Music.IsPlaying());
    Music.Play(1);
    EXPECT_EQ(Disc.Plays, (std::vector<Range>{Track(5), Track(3)}));
    EXPECT_EQ(Disc.Stops, 1) << "the first piece stopped before the second played";

    Notify(MCI_NOTIFY_ABORTED);
    EXPECT_TRUE(Music.IsPlaying()) << "only a track that played to its end counts";
    Notify(MCI_NOTIFY_SUCCESSFUL);
    EXPECT_FALSE(Music.IsPlaying()) << "a piece that does not loop stops at the end of its track";
    EXPECT_EQ(Music.CurrentIndex(), TZ5BGM::NoPiece);
    EXPECT_EQ(Disc.Stops, 2);
}

TEST_F(CDMusic, TheEndOfALoopingTrackReportedByTheDrivePlaysItAgain) {
    Music.Play(0);
    Disc.Status = CdAudioStatus::Completed;
    ASSERT_TRUE(DispatchUntil([this] { return Disc.Plays.size() >= 2; }, std::chrono::seconds(20)));
    EXPECT_EQ(Disc.Plays[1], Track(5));
    EXPECT_TRUE(Music.IsPlaying());
}

TEST(CDMusicWithoutADrive, EachCommandLogsItsErrorAndTheMusicGoesOn) {
    FakeDriveInstalled noDrive(nullptr);
    TZ5BGM music("./");
    music.AddPiece(CDPiece(1, true));
    music.SetEnabled(true);
    LogWatch log;
    music.Play(0);
    music.Stop();
    EXPECT_EQ(log.Lines(),
              (std::vector<std::string>{"Error 306: in mciSendString", "Error 263: in mciSendString",
                                        "Error 263: in mciSendString", "Error 263: in mciSendString",
                                        "Error 263: in mciSendString", "Error 263: in mciSendString"}))
        << "open, set, status, play; then stop and close";
}

TEST(MIDIMusic, APiecePlaysThroughTheMIDIPlayerAtTheMusicsSpeed) {
    RecordingMidiOutput* out = nullptr;
    TZ5MIDISteppedClock* clock = nullptr;
    FakeDisc disc;
    FakeDriveInstalled drive(&disc); // outlives the music, which closes the device last
    TZ5BGM music("./");
    music.MakeMIDI = [&] {
        auto output = std::make_unique<RecordingMidiOutput>();
        auto steps = std::make_unique<TZ5MIDISteppedClock>();
        out = output.get();
        clock = steps.get();
        return std::make_unique<TZ5MIDI>(std::move(output), std::move(steps));
    };
    music.SetPlayType(ptMIDI);
    music.SetEnabled(true);
    auto piece = std::make_unique<TZ5BGMData>();
    piece->Loop = false;
    piece->MIDIData =
        StreamOf(Header(0, 1, 96) + Track(At(4, Bytes({0x90, 0x3C, 0x64})) + At(0, EndOfTrack)));
    piece->MIDIData->SetPosition(5); // the player reads the whole file wherever the stream stands
    const std::int32_t unnamed = music.AddPiece(std::move(piece));
    music.Play(unnamed);
    ASSERT_NE(music.MIDI(), nullptr);
    EXPECT_FALSE(music.MIDI()->Playing()) << "a MIDI piece needs a name to play";
    EXPECT_FALSE(music.IsPlaying());

    music.Piece(unnamed)->MIDIName = "tune";
    music.SetSpeed(2.0);
    music.Play(unnamed);
    EXPECT_EQ(music.MIDI()->TempoPercent(), 200);
    EXPECT_FALSE(music.MIDI()->Loop);
    clock->Step();
    EXPECT_TRUE(out->Records.empty());
    clock->Step();
    ASSERT_EQ(out->Records.size(), 1u) << "four ticks in two timer ticks at double speed";
    music.SetSpeed(0.5);
    EXPECT_EQ(music.MIDI()->TempoPercent(), 50);
    for (const auto& [speed, percent] : {std::pair{0.125, 12}, {0.625, 62}, {0.375, 38}}) {
        music.SetSpeed(speed);
        EXPECT_EQ(music.MIDI()->TempoPercent(), percent) << speed << ": a tie goes to the even neighbour";
    }

    music.Update();
    EXPECT_FALSE(music.MIDI()->Playing()) << "the piece ended and does not loop";
    music.SetPlayType(ptCDAudio);
    music.Play(unnamed);
    EXPECT_EQ(music.MIDI(), nullptr) << "the MIDI player goes with the MIDI type";
}

TEST(MusicPlayTypes, AnUnknownPlayTypeIsAnAssertion) {
    TZ5BGM music("./");
    music.AddPiece(std::make_unique<TZ5BGMData>());
    music.SetEnabled(true);
    music.SetPlayType(static_cast<TBGMPlayType>(3));
    try {
        music.Play(0);
        FAIL() << "no assertion";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("不正なBGMの再生タイプが指定されました"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("lib/Z5BGMUnit"), std::string::npos);
    }
}
