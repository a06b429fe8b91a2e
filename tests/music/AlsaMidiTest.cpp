// The MIDI output on the system's ALSA sequencer, heard by a second client of
// the test's own that stands in for the synthesizer.

#include "MidiFile.h"
#include "lib/Z5MIDIUnit.h"
#include "platform/MidiOutput.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

using namespace platform;

namespace {

bool HaveSequencer() {
    return access("/dev/snd/seq", R_OK | W_OK) == 0;
}

// A sequencer client with one writable synthesizer port that keeps what
// arrives as the bytes it stands for, as the recording output shows them
// ("tick=0 90 3c 64").
class ListeningSynthesizer {
public:
    ListeningSynthesizer() {
        if (snd_seq_open(&Seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0)
            return;
        Port = snd_seq_create_simple_port(
            Seq, "listener", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
            SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTHESIZER | SND_SEQ_PORT_TYPE_APPLICATION);
        snd_midi_event_new(DecodeBytes, &Decoder);
        snd_midi_event_no_status(Decoder, 1); // every message with its status byte
    }
    ~ListeningSynthesizer() {
        if (Decoder)
            snd_midi_event_free(Decoder);
        if (Seq)
            snd_seq_close(Seq);
    }

    std::optional<MidiPortAddress> Address() const {
        if (!Seq || Port < 0 || !Decoder)
            return std::nullopt;
        return MidiPortAddress{snd_seq_client_id(Seq), Port};
    }

    // Waits (up to a generous limit) until `count` MIDI messages have come;
    // announcements of the connection are no MIDI messages and are left out.
    std::vector<std::string> Receive(std::size_t count) {
        std::vector<std::string> messages;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (messages.size() < count && std::chrono::steady_clock::now() < deadline) {
            snd_seq_event_t* event = nullptr;
            if (snd_seq_event_input(Seq, &event) < 0) {
                pollfd descriptor{};
                snd_seq_poll_descriptors(Seq, &descriptor, 1, POLLIN);
                poll(&descriptor, 1, 100);
                continue;
            }
            std::uint8_t bytes[DecodeBytes];
            const long length = snd_midi_event_decode(Decoder, bytes, DecodeBytes, event);
            if (length > 0)
                messages.push_back(FormatRecord({0, MidiRecordKind::Long, {bytes, bytes + length}}));
        }
        return messages;
    }

private:
    static constexpr long DecodeBytes = 256;
    snd_seq_t* Seq = nullptr;
    snd_midi_event_t* Decoder = nullptr;
    int Port = -1;
};

} // namespace

TEST(AlsaMidiOutput, APlayedFileArrivesInOrderAtTheConnectedSynthesizer) {
    if (!HaveSequencer())
        GTEST_SKIP() << "no ALSA sequencer on this machine (/dev/snd/seq is absent)";
    ListeningSynthesizer synthesizer;
    ASSERT_TRUE(synthesizer.Address()) << "cannot make a sequencer client";
    auto output = OpenMidiOutput("vaporel test player", synthesizer.Address());
    ASSERT_NE(output, nullptr);
    auto clock = std::make_unique<TZ5MIDISteppedClock>();
    TZ5MIDISteppedClock& steps = *clock;
    TZ5MIDI midi(std::move(output), std::move(clock));
    ASSERT_TRUE(midi.Load(
        *StreamOf(Header(0, 1, 96) + Track(At(0, Bytes({0x90, 0x3C, 0x64})) + At(1, Bytes({0xC0, 0x05})) +
                                           At(1, Bytes({0xF0, 0x03, 0x7E, 0x7F, 0xF7})) +
                                           At(1, Bytes({0x80, 0x3C, 0x00})) + At(0, EndOfTrack)))));
    ASSERT_TRUE(midi.Play());
    while (midi.Playing()) {
        steps.Step();
        midi.Update();
    }
    const std::vector<std::string> events = synthesizer.Receive(4 + 48);
    ASSERT_EQ(events.size(), 4u + 48u);
    EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 7),
              (std::vector<std::string>{"on 0 60 100", "program 0 5", "sysex f0 7e 7f f7", "off 0 60",
                                        "cc 0 120 0", "cc 0 123 0", "cc 0 121 0"}));
    EXPECT_EQ(events.back(), "cc 15 121 0");
}

TEST(AlsaMidiOutput, WithoutASynthesizerThePlayerRunsSilently) {
    if (!HaveSequencer()) {
        EXPECT_EQ(OpenMidiOutput("vaporel test player"), nullptr);
    }
    TZ5MIDI midi(nullptr, std::make_unique<TZ5MIDITimerClock>());
    EXPECT_FALSE(midi.HasOutput());
    ASSERT_TRUE(midi.Load(*StreamOf(Header(0, 1, 96) + Track(At(0, EndOfTrack)))));
    ASSERT_TRUE(midi.Play());
    EXPECT_TRUE(midi.Stop());
}

TEST(AlsaMidiOutput, ThePlayerConnectsToASynthesizerRatherThanAThroughPort) {
    const MidiPortInfo through{{14, 0}, true, false, false};
    const MidiPortInfo interfaceOut{{20, 0}, true, false, true};
    const MidiPortInfo readOnlySynth{{128, 0}, false, true, false};
    const MidiPortInfo synth{{129, 0}, true, true, false};
    const auto choose = [](std::vector<MidiPortInfo> ports) {
        const std::optional<MidiPortAddress> chosen = ChooseSynthesizerPort(ports);
        return chosen ? chosen->Client : -1;
    };
    EXPECT_EQ(choose({through, interfaceOut, readOnlySynth, synth}), 129);
    EXPECT_EQ(choose({through, readOnlySynth, interfaceOut}), 20);
    EXPECT_EQ(choose({through, readOnlySynth}), -1);
}
