#include "MidiFile.h"
#include "lib/Z5MIDIUnit.h"
#include "platform/MidiOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using platform::RecordingMidiOutput;

namespace {

// The player on a recording output and a stepped clock; what it sends is
// stamped with the number of the step (the timer tick) that sent it.
class MidiPlayer : public ::testing::Test {
protected:
    MidiPlayer() {
        auto output = std::make_unique<RecordingMidiOutput>();
        auto clock = std::make_unique<TZ5MIDISteppedClock>();
        Out = output.get();
        Clock = clock.get();
        Midi = std::make_unique<TZ5MIDI>(std::move(output), std::move(clock));
    }

    bool Load(const std::string& file) { return Midi->Load(*StreamOf(file)); }

    void LoadAndPlay(const std::string& file) {
        ASSERT_TRUE(Load(file));
        ASSERT_TRUE(Midi->Play());
    }

    void Step(int steps) {
        for (int i = 0; i < steps; ++i) {
            Out->Now = Clock->Steps() + 1;
            Clock->Step();
        }
    }

    std::vector<std::string> Sent(std::size_t from = 0) const {
        std::vector<std::string> lines;
        for (std::size_t i = from; i < Out->Records.size(); ++i)
            lines.push_back(platform::FormatRecord(Out->Records[i]));
        return lines;
    }

    static std::vector<std::string> Silencing(int tick) {
        std::vector<std::string> lines;
        const std::string stamp = "tick=" + std::to_string(tick) + " b";
        for (const char channel : std::string("0123456789abcdef"))
            for (const char* controller : {" 78 00", " 7b 00", " 79 00"})
                lines.push_back(stamp + channel + controller);
        lines.push_back("tick=" + std::to_string(tick) + " reset");
        return lines;
    }

    RecordingMidiOutput* Out = nullptr;
    TZ5MIDISteppedClock* Clock = nullptr;
    std::unique_ptr<TZ5MIDI> Midi;
};

} // namespace

TEST_F(MidiPlayer, FormatZeroSendsEveryKindOfEventAtItsTickAt500TicksASecond) {
    LoadAndPlay(
        Header(0, 1, 480) +
        Track(At(0, Bytes({0x90, 0x3C, 0x64})) + At(4, Bytes({0x3E, 0x50})) // running status
              + At(6, Bytes({0xC0, 0x05})) + At(0, Bytes({0xD0, 0x40})) + At(5, Bytes({0xE0, 0x00, 0x40})) +
              At(0, Bytes({0xFF, 0x01, 0x03, 'a', 'b', 'c'})) // text: skipped
              + At(5, Bytes({0xF0, 0x03, 0x7E, 0x7F, 0xF7})) + At(0, Bytes({0xF7, 0x02, 0xF8, 0xFA})) +
              At(480, Bytes({0x80, 0x3C, 0x00})) + At(0, EndOfTrack)));
    Step(499);
    EXPECT_FALSE(Midi->Tracks()[0]->Finished());
    Step(1);
    EXPECT_EQ(Midi->TotalTicks(), 500) << "one MIDI tick per 2 ms timer tick until the file sets a tempo";
    EXPECT_EQ(Sent(), (std::vector<std::string>{"tick=1 90 3c 64", "tick=4 90 3e 50", "tick=10 c0 05",
                                                "tick=10 d0 40", "tick=15 e0 00 40", "tick=20 f0 7e 7f f7",
                                                "tick=20 f8 fa", "tick=500 80 3c 00"}));
    ASSERT_TRUE(Midi->Tracks()[0]->Finished());

    Midi->Update();
    EXPECT_FALSE(Midi->Playing());
    EXPECT_EQ(Sent(8), Silencing(500)) << "all sound off, all notes off, reset controllers; then the reset";
    EXPECT_FALSE(Clock->Step()) << "the clock stopped";
}

TEST_F(MidiPlayer, TempoCarriesTheRemainderAndChangesMidFile) {
    LoadAndPlay(Header(0, 1, 480) + Track(At(0, SetTempo(500000)) + At(100000, EndOfTrack)));
    Step(1); // reads the tempo
    std::vector<std::int64_t> advances;
    for (int i = 0; i < 26; ++i) {
        const std::int64_t before = Midi->TotalTicks();
        Step(1);
        advances.push_back(Midi->TotalTicks() - before);
    }
    std::vector<std::int64_t> expected{1};
    expected.insert(expected.end(), 11, 2);
    expected.push_back(1);
    expected.insert(expected.end(), 12, 2);
    expected.push_back(1);
    EXPECT_EQ(advances, expected) << "1.92 ticks per timer tick at 500000 us per quarter and division 480";

    // 100 ticks at the file's start tempo (one per timer tick), then 48 ticks
    // at 0.96 per timer tick: 50 more timer ticks.
    LoadAndPlay(Header(0, 1, 480) +
                Track(At(100, SetTempo(1000000)) + At(48, Bytes({0x90, 0x3C, 0x64})) + At(0, EndOfTrack)));
    const std::size_t before = Out->Records.size();
    const std::int64_t start = Clock->Steps();
    Step(150);
    const std::vector<std::string> sent = Sent(before);
    ASSERT_FALSE(sent.empty()) << "the note never came";
    EXPECT_EQ(sent.back(), "tick=" + std::to_string(start + 150) + " 90 3c 64");
    EXPECT_EQ(Midi->Tempo(), 1000000);

    Midi->SetTempoPercent(0);
    EXPECT_EQ(Midi->TempoPercent(), 1);
    Midi->SetTempoPercent(20000);
    EXPECT_EQ(Midi->TempoPercent(), 10000);
}

TEST_F(MidiPlayer, FormatOneTracksPlayTogetherFromTheStreamsPosition) {
    const std::string file =
        Header(1, 3, 96) + Track(At(0, Bytes({0xFF, 0x03, 0x01, 'x'})) + At(0, EndOfTrack)) +
        Track(At(0, Bytes({0x91, 0x40, 0x40})) + At(10, Bytes({0x81, 0x40, 0x00})) + At(0, EndOfTrack)) +
        Track(At(5, Bytes({0x92, 0x43, 0x40})) + At(5, Bytes({0x82, 0x43, 0x00})) + At(0, EndOfTrack));
    const auto stream = StreamOf("xyz" + file);
    stream->SetPosition(3);
    ASSERT_TRUE(Midi->Load(*stream));
    EXPECT_EQ(Midi->SmfFormat(), 1);
    ASSERT_EQ(Midi->Tracks().size(), 3u);
    ASSERT_TRUE(Midi->Play());
    Step(10);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"tick=1 91 40 40", "tick=5 92 43 40", "tick=10 81 40 00",
                                                "tick=10 82 43 00"}));
    Midi->Update();
    EXPECT_FALSE(Midi->Playing());
}

TEST_F(MidiPlayer, LoopRestartsTheFinishedPieceButNotAStoppedOne) {
    Midi->Loop = true;
    LoadAndPlay(Header(0, 1, 480) + Track(At(0, Bytes({0x90, 0x3C, 0x64})) + At(3, EndOfTrack)));
    Step(3);
    Midi->Update();
    EXPECT_TRUE(Midi->Playing());
    Step(1);
    std::vector<std::string> expected{"tick=1 90 3c 64"};
    for (const std::string& line : Silencing(3))
        expected.push_back(line);
    expected.push_back("tick=4 90 3c 64");
    EXPECT_EQ(Sent(), expected);

    Step(2);
    ASSERT_TRUE(Midi->Stop());
    const std::size_t stopped = Out->Records.size();
    Midi->Update();
    EXPECT_FALSE(Midi->Playing());
    EXPECT_EQ(Out->Records.size(), stopped);
}

TEST_F(MidiPlayer, EachPassOfALoopStartsWithoutARunningStatus) {
    Midi->Loop = true;
    LoadAndPlay(Header(0, 1, 480) + Track(At(0, Bytes({0x3C, 0x40})) // data before any status: not sent
                                          + At(0, Bytes({0x90, 0x3C, 0x64})) + At(2, EndOfTrack)));
    Step(2);
    Midi->Update(); // every track has finished: the piece starts again
    Step(1);
    std::vector<std::string> expected{"tick=1 90 3c 64"};
    for (const std::string& line : Silencing(2))
        expected.push_back(line);
    expected.push_back("tick=3 90 3c 64");
    EXPECT_EQ(Sent(), expected) << "the second pass's first bytes must not take the first pass's status";
}

TEST_F(MidiPlayer, TheQuietTicksBeforeADistantEventPassAtOnce) {
    LoadAndPlay(Header(0, 1, 480) + Track(At(0x0FFFFFFF, Bytes({0x90, 0x3C, 0x64})) + At(0, EndOfTrack)));
    // One MIDI tick per timer tick: the event falls due on timer tick 2^28 - 1.
    ASSERT_EQ(Midi->QuietTicks(), 0x0FFFFFFF - 1);
    Clock->Step(Midi->QuietTicks());
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Midi->QuietTicks(), 0);
    Step(1);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"tick=268435455 90 3c 64"}));
}

TEST_F(MidiPlayer, LoadRefusesWhatIsNotAFormatZeroOrOneFile) {
    const std::string track = Track(At(0, EndOfTrack));
    const std::string good = Header(0, 1, 96) + track;
    ASSERT_TRUE(Load(good));
    struct Case {
        const char* What;
        std::string File;
    };
    const Case cases[] = {
        {"format 2", Header(2, 1, 96) + track},
        {"no tracks", Header(0, 0, 96)},
        {"division 0", Header(0, 1, 0) + track},
        {"not MThd", "MThx" + good.substr(4)},
        {"header cut short", good.substr(0, 13)},
        {"not MTrk", Header(0, 1, 96) + "MTrx" + track.substr(4)},
        {"chunk header cut short", Header(0, 1, 96) + track.substr(0, 7)},
        {"length beyond the file", Header(0, 1, 96) + "MTrk" + BigEndian(5, 4) + EndOfTrack},
        {"length of 4 GiB", Header(0, 1, 96) + "MTrk" + BigEndian(0xFFFFFFFF, 4) + EndOfTrack},
        {"second track missing", Header(1, 2, 96) + track},
    };
    for (const Case& bad : cases)
        EXPECT_FALSE(Load(bad.File)) << bad.What;
    EXPECT_EQ(Midi->Tracks().size(), 1u) << "the track read before the missing one stays";
}

TEST_F(MidiPlayer, ARefusedFileLeavesNothingToPlayNotThePieceBeforeIt) {
    ASSERT_TRUE(Load(Header(0, 1, 96) + Track(At(0, EndOfTrack))));
    EXPECT_FALSE(Load(Header(2, 1, 96) + Track(At(0, EndOfTrack))));
    EXPECT_TRUE(Midi->Tracks().empty());
    EXPECT_FALSE(Midi->Play());
}

TEST_F(MidiPlayer, ATrackCutInsideAnEventEndsWithoutSendingIt) {
    for (const std::string& cut :
         {Bytes({0x90, 0x3C}), Bytes({0xF0, 0x05, 0x01}), Bytes({0xFF, 0x51, 0x03, 0x07}), Bytes({0x81})}) {
        LoadAndPlay(Header(0, 1, 96) + Track(At(0, Bytes({0x3C, 0x40})) // data before any status
                                             + At(2, cut)));
        Out->Records.clear();
        Step(3);
        EXPECT_TRUE(Midi->Tracks()[0]->Finished());
        EXPECT_TRUE(Out->Records.empty()) << platform::FormatRecord(Out->Records.front());
    }
}

TEST(MidiPlayerOnTheTimer, StopRestartAndDestructionWaitForTheTimer) {
    std::string events;
    for (int i = 0; i < 2000; ++i)
        events += At(1, Bytes({0x90, 0x3C, 0x40}));
    const auto stream = StreamOf(Header(0, 1, 480) + Track(events + At(0, EndOfTrack)));
    auto output = std::make_unique<RecordingMidiOutput>();
    const RecordingMidiOutput& out = *output;
    auto midi = std::make_unique<TZ5MIDI>(std::move(output), std::make_unique<TZ5MIDITimerClock>());
    ASSERT_TRUE(midi->Load(*stream));

    const auto waitForTicks = [&midi](std::int64_t ticks) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (midi->TotalTicks() < ticks && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        return midi->TotalTicks() >= ticks;
    };
    ASSERT_TRUE(midi->Play());
    midi->SetTempoPercent(300);
    ASSERT_TRUE(waitForTicks(5));
    ASSERT_TRUE(midi->Stop());
    ASSERT_GE(out.Records.size(), 49u + 5u);
    EXPECT_EQ(out.Records.back().Kind, platform::MidiRecordKind::Reset);
    EXPECT_EQ(out.Records[out.Records.size() - 49].Bytes, (std::vector<std::uint8_t>{0xB0, 0x78, 0x00}))
        << "no note comes between the silencing messages";

    ASSERT_TRUE(midi->Play());
    ASSERT_TRUE(waitForTicks(5));
    midi.reset(); // while the timer runs
}

namespace {

// Plays `file` to its end at `percent` on a stepped clock, one tick at a
// time or running the quiet ticks at once, and answers what was sent.
std::vector<std::string> PlayThrough(const std::string& file, std::int32_t percent, bool jump) {
    auto output = std::make_unique<RecordingMidiOutput>();
    auto clock = std::make_unique<TZ5MIDISteppedClock>();
    RecordingMidiOutput& out = *output;
    TZ5MIDISteppedClock& steps = *clock;
    TZ5MIDI midi(std::move(output), std::move(clock));
    EXPECT_TRUE(midi.Load(*StreamOf(file)));
    midi.SetTempoPercent(percent);
    midi.Play();
    while (midi.Playing() && steps.Steps() < 10'000'000) {
        if (const std::int64_t quiet = jump ? midi.QuietTicks() : 0; quiet > 0)
            steps.Step(quiet);
        out.Now = steps.Steps() + 1;
        steps.Step();
        midi.Update();
    }
    std::vector<std::string> sent;
    for (const platform::MidiRecord& record : out.Records)
        sent.push_back(platform::FormatRecord(record));
    return sent;
}

} // namespace

TEST(MidiPlayerOnASimulatedClock, RunningTheQuietTicksAtOnceSendsWhatSingleTicksSend) {
    const std::string notes = At(0, Bytes({0x90, 0x3C, 0x64})) + At(37, Bytes({0x3C, 0x00})) +
                              At(500, Bytes({0xC1, 0x05})) + At(1, Bytes({0xF0, 0x02, 0x7E, 0xF7}));
    const std::string files[] = {
        Header(0, 1, 480) + Track(notes + At(0, EndOfTrack)),
        Header(0, 1, 7) + Track(At(3, SetTempo(123457)) + notes + At(11, SetTempo(900001)) + notes +
                                At(1, EndOfTrack)),
        Header(1, 3, 96) + Track(At(0, SetTempo(400000)) + At(700, SetTempo(3000)) + At(0, EndOfTrack)) +
            Track(notes + At(250, Bytes({0x91, 0x40, 0x40})) + notes) + // ends where its data ends
            Track(At(699, Bytes({0x92, 0x43, 0x40})) + At(1, Bytes({0x43, 0x00})) + notes + At(0, EndOfTrack)),
        Header(0, 1, 96) + Track(notes + Bytes({0x05, 0x90, 0x3C})), // cut inside its last event
    };
    for (const std::string& file : files)
        for (const std::int32_t percent : {37, 100, 250, 10000}) {
            const auto stepped = PlayThrough(file, percent, false);
            ASSERT_GT(stepped.size(), 49u) << "notes, then the silencing";
            EXPECT_EQ(PlayThrough(file, percent, true), stepped) << "at " << percent << " percent";
        }
}
