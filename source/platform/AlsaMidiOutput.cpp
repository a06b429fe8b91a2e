// The MIDI output on the ALSA sequencer: events go out directly (not through
// a queue) from our one output port to its subscribers, the synthesizer we
// connected. The client never blocks: when the synthesizer falls behind and
// the kernel's pool is full, an event is dropped rather than the player's
// timer thread held up.

#include "platform/MidiOutput.h"

#include <alsa/asoundlib.h>
#include <unistd.h>

#include <vector>

namespace platform {

namespace {

constexpr char SequencerDevice[] = "/dev/snd/seq";
constexpr unsigned SynthesizerTypes = SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_SYNTHESIZER |
                                      SND_SEQ_PORT_TYPE_MIDI_GM | SND_SEQ_PORT_TYPE_MIDI_GS |
                                      SND_SEQ_PORT_TYPE_MIDI_XG | SND_SEQ_PORT_TYPE_MIDI_GM2 |
                                      SND_SEQ_PORT_TYPE_MIDI_MT32;
constexpr unsigned WritableCaps = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
// Room for the longest short message; system exclusive blocks bypass the encoder.
constexpr std::size_t EncoderBufferBytes = 16;

struct SeqCloser {
    void operator()(snd_seq_t* seq) const { snd_seq_close(seq); }
};
using SeqPointer = std::unique_ptr<snd_seq_t, SeqCloser>;

struct EncoderFreer {
    void operator()(snd_midi_event_t* encoder) const { snd_midi_event_free(encoder); }
};
using EncoderPointer = std::unique_ptr<snd_midi_event_t, EncoderFreer>;

// Every port of every other client, in the sequencer's order (by client, then port).
std::vector<MidiPortInfo> ListPorts(snd_seq_t* seq) {
    std::vector<MidiPortInfo> ports;
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int clientId = snd_seq_client_info_get_client(client);
        if (clientId == self || clientId == SND_SEQ_CLIENT_SYSTEM)
            continue;
        snd_seq_port_info_set_client(port, clientId);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(port);
            const unsigned type = snd_seq_port_info_get_type(port);
            ports.push_back(
                {{clientId, snd_seq_port_info_get_port(port)},
                 (caps & WritableCaps) == WritableCaps && (caps & SND_SEQ_PORT_CAP_NO_EXPORT) == 0,
                 (type & SynthesizerTypes) != 0,
                 (type & SND_SEQ_PORT_TYPE_HARDWARE) != 0});
        }
    }
    return ports;
}

class AlsaMidiOutput final : public MidiOutput {
public:
    AlsaMidiOutput(SeqPointer seq, int port, EncoderPointer encoder)
        : Seq(std::move(seq)), Port(port), Encoder(std::move(encoder)) {}

    void SendShort(std::uint32_t message) override {
        const std::vector<std::uint8_t> bytes = ShortMessageBytes(message);
        snd_midi_event_reset_encode(Encoder.get());
        for (const std::uint8_t byte : bytes) {
            snd_seq_event_t event;
            snd_seq_ev_clear(&event);
            if (snd_midi_event_encode_byte(Encoder.get(), byte, &event) == 1)
                Send(event);
        }
    }

    void SendLong(std::span<const std::uint8_t> block) override {
        if (block.empty())
            return;
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_seq_ev_set_sysex(&event, static_cast<unsigned>(block.size()),
                             const_cast<std::uint8_t*>(block.data()));
        Send(event);
    }

    void Reset() override {
        snd_seq_drop_output(Seq.get());
        snd_midi_event_reset_encode(Encoder.get());
    }

private:
    void Send(snd_seq_event_t& event) {
        snd_seq_ev_set_source(&event, static_cast<unsigned char>(Port));
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        snd_seq_event_output_direct(Seq.get(), &event); // a dropped event is not an error here
    }

    SeqPointer Seq;
    int Port;
    EncoderPointer Encoder;
};

} // namespace

std::unique_ptr<MidiOutput> OpenMidiOutput(const std::string& clientName,
                                           std::optional<MidiPortAddress> destination) {
    // Without the device alsa-lib would complain on standard error; no
    // sequencer simply means no output.
    if (access(SequencerDevice, F_OK) != 0)
        return nullptr;
    snd_seq_t* rawSeq = nullptr;
    if (snd_seq_open(&rawSeq, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0)
        return nullptr;
    SeqPointer seq(rawSeq);
    snd_seq_set_client_name(seq.get(), clientName.c_str());

    if (!destination) {
        const std::vector<MidiPortInfo> ports = ListPorts(seq.get());
        destination = ChooseSynthesizerPort(ports);
        if (!destination)
            return nullptr;
    }
    const int port =
        snd_seq_create_simple_port(seq.get(), "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0 || snd_seq_connect_to(seq.get(), port, destination->Client, destination->Port) < 0)
        return nullptr;

    snd_midi_event_t* rawEncoder = nullptr;
    if (snd_midi_event_new(EncoderBufferBytes, &rawEncoder) < 0)
        return nullptr;
    return std::make_unique<AlsaMidiOutput>(std::move(seq), port, EncoderPointer(rawEncoder));
}

} // namespace platform
