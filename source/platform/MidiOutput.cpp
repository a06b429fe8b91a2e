#include "platform/MidiOutput.h"

#include <algorithm>

namespace platform {

namespace {

bool HasOneDataByte(std::uint8_t status) {
    return status >= 0xC0 && status <= 0xDF;
}

} // namespace

std::vector<std::uint8_t> ShortMessageBytes(std::uint32_t message) {
    const auto status = static_cast<std::uint8_t>(message & 0xFF);
    const auto data1 = static_cast<std::uint8_t>((message >> 8) & 0xFF);
    const auto data2 = static_cast<std::uint8_t>((message >> 16) & 0xFF);
    if (HasOneDataByte(status))
        return {status, data1};
    return {status, data1, data2};
}

std::string FormatRecord(const MidiRecord& record) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text = "tick=" + std::to_string(record.Stamp);
    if (record.Kind == MidiRecordKind::Reset)
        return text + " reset";
    for (const std::uint8_t byte : record.Bytes) {
        text += ' ';
        text += Digits[byte >> 4];
        text += Digits[byte & 0x0F];
    }
    return text;
}

std::optional<MidiPortAddress> ChooseSynthesizerPort(std::span<const MidiPortInfo> ports) {
    for (const bool wantSynthesizer : {true, false}) {
        const auto found =
            std::find_if(ports.begin(), ports.end(), [wantSynthesizer](const MidiPortInfo& port) {
                return port.Writable && (wantSynthesizer ? port.Synthesizer : port.Hardware);
            });
        if (found != ports.end())
            return found->Address;
    }
    return std::nullopt;
}

void RecordingMidiOutput::SendShort(std::uint32_t message) {
    Records.push_back({Now, MidiRecordKind::Short, ShortMessageBytes(message)});
}

void RecordingMidiOutput::SendLong(std::span<const std::uint8_t> block) {
    Records.push_back({Now, MidiRecordKind::Long, {block.begin(), block.end()}});
}

void RecordingMidiOutput::Reset() {
    Records.push_back({Now, MidiRecordKind::Reset, {}});
}

} // namespace platform
