#pragma once
// Standard MIDI Files made by the tests, byte by byte.

#include "lib/Z5StreamUnit.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

inline std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

inline std::string BigEndian(std::uint32_t value, int count) {
    std::string bytes;
    for (int shift = (count - 1) * 8; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

inline std::string VariableLength(std::uint32_t value) {
    std::string bytes(1, static_cast<char>(value & 0x7F));
    while (value >>= 7)
        bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return bytes;
}

inline std::string Header(int format, int tracks, int division) {
    return "MThd" + BigEndian(6, 4) + BigEndian(format, 2) + BigEndian(tracks, 2) + BigEndian(division, 2);
}

inline std::string Track(const std::string& events) {
    return "MTrk" + BigEndian(static_cast<std::uint32_t>(events.size()), 4) + events;
}

// An event `delta` ticks after the one before.
inline std::string At(std::uint32_t delta, const std::string& event) {
    return VariableLength(delta) + event;
}

inline std::string SetTempo(std::uint32_t microsecondsPerQuarter) {
    return Bytes({0xFF, 0x51, 0x03}) + BigEndian(microsecondsPerQuarter, 3);
}

inline const std::string EndOfTrack = Bytes({0xFF, 0x2F, 0x00});

inline std::unique_ptr<TZ5MemoryStream> StreamOf(const std::string& bytes) {
    auto stream = std::make_unique<TZ5MemoryStream>();
    stream->SetAsString(bytes);
    return stream;
}
