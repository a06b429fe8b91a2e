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
// arrives as text: "on 0 60 100", "program 0 5", "sysex f0 7e 7f f7", "cc 0 120 0".
class ListeningSynthesizer {
public:
    ListeningSynthesizer() {
        if (snd_seq_open(&Seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0)
            return;
        Port = snd_seq_create_simple_port(
            Seq, "listener", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
            SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTHESIZER | SND_SEQ_PORT_TYPE_APPLICATION);
    }
    ~ListeningSynthesizer() {
        if (Seq)
            snd_seq_close(Seq);
    }

    std::optional<MidiPortAddress> Address() const {
        if (!Seq || Port < 0)
            return std::nullopt;
        return MidiPortAddress{snd_seq_client_id(Seq), Port};
    }

    // Waits (up to a generous limit) until `count` events have come.
    std::vector<std::string> Receive(std::size_t count) {
        std::vector<std::string> events;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (events.size() < count && std::chrono::steady_clock::now() < deadline) {
            snd_seq_event_t* event = nullptr;
            if (snd_seq_event_input(Seq, &event) < 0) {
                pollfd descriptor{};
                snd_seq_poll_descriptors(Seq, &descriptor, 1, POLLIN);
                poll(&descriptor, 1, 100);
                continue;
            }
            if (const std::string text = Describe(*event); !text.empty())
                events.push_back(text);
        }
        return events;
    }

private:
    static std::string Describe(const snd_seq_event_t& event) {
        const auto number = [](int value) { return std::string(1, ' ').append(std::to_string(value)); };
        switch (event.type) {
        case SND_SEQ_EVENT_NOTEON:
            return "on" + number(event.data.note.channel) + number(event.data.note.note) +
                   number(event.data.note.velocity);
        case SND_SEQ_EVENT_NOTEOFF:
            return "off" + number(event.data.note.channel) + number(event.data.note.note);
        case SND_SEQ_EVENT_PGMCHANGE:
            return "program" + number(event.data.control.channel) + number(event.data.control.value);
        case SND_SEQ_EVENT_CONTROLLER:
            return "cc" + number(event.data.control.channel) +
                   number(static_cast<int>(event.data.control.param)) + number(event.data.control.value);
        case SND_SEQ_EVENT_SYSEX: {
            const auto* bytes = static_cast<const std::uint8_t*>(event.data.ext.ptr);
            MidiRecord record{0, MidiRecordKind::Long, {bytes, bytes + event.data.ext.len}};
            std::string text = FormatRecord(record); // "tick=0 f0 ..."
            return text.replace(0, std::string_view("tick=0").size(), "sysex");
        }
        default: return {}; // announcements of the connection and the like
        }
    }

    snd_seq_t* Seq = nullptr;
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
