#pragma once
// The MIDI output the player sends to: short channel messages, system
// exclusive blocks and a reset. On the system it is an ALSA sequencer client
// with one output port connected to a synthesizer; tests and the player's
// print mode hand the player a recording output instead.
//
// An output is used by one thread at a time: the player's timer thread while
// it plays, the main thread once the timer has stopped.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    // A channel message packed as status + data1 * 256 + data2 * 65536;
    // ShortMessageBytes tells which of the bytes count.
    virtual void SendShort(std::uint32_t message) = 0;
    // A system exclusive block as it goes on the wire (0xF0 ... 0xF7), or a
    // continuation packet of one.
    virtual void SendLong(std::span<const std::uint8_t> block) = 0;
    // Drops whatever is still on its way to the synthesizer.
    virtual void Reset() = 0;
};

// The bytes of a packed short message: program change and channel pressure
// (0xC0 to 0xDF) carry one data byte, every other status two.
std::vector<std::uint8_t> ShortMessageBytes(std::uint32_t message);

// --- The system's synthesizers --------------------------------------------------

struct MidiPortAddress {
    int Client = 0;
    int Port = 0;
};

struct MidiPortInfo {
    MidiPortAddress Address;
    bool Writable = false;    // accepts events from a connected sender
    bool Synthesizer = false; // makes sound itself (software or hardware synthesizer)
    bool Hardware = false;    // a port of a MIDI interface, which drives an external synthesizer
};

// The port the player connects to: the first writable synthesizer, else the
// first writable hardware port. Ports that only pass events on (a through port)
// are never chosen: nothing would be heard.
std::optional<MidiPortAddress> ChooseSynthesizerPort(std::span<const MidiPortInfo> ports);

// A sequencer client named `clientName` with one output port, connected to
// `destination`, or to ChooseSynthesizerPort's choice when none is given.
// Null when there is no sequencer, no such port, or the connection fails:
// then nothing is heard.
std::unique_ptr<MidiOutput> OpenMidiOutput(const std::string& clientName,
                                           std::optional<MidiPortAddress> destination = std::nullopt);

// --- Recording ---------------------------------------------------------------------

enum class MidiRecordKind : std::uint8_t { Short, Long, Reset };

struct MidiRecord {
    std::int64_t Stamp = 0; // the recorder's Now when it was sent
    MidiRecordKind Kind = MidiRecordKind::Short;
    std::vector<std::uint8_t> Bytes; // empty for a reset
};

// "tick=<stamp> <bytes in lower-case hex>" ("tick=12 90 3c 64"), or
// "tick=<stamp> reset".
std::string FormatRecord(const MidiRecord& record);

// Keeps everything sent, stamped with Now, which the driver of the player sets
// (a simulated clock's tick count).
class RecordingMidiOutput final : public MidiOutput {
public:
    void SendShort(std::uint32_t message) override;
    void SendLong(std::span<const std::uint8_t> block) override;
    void Reset() override;

    std::int64_t Now = 0;
    std::vector<MidiRecord> Records;
};

} // namespace platform
