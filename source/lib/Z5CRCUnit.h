#pragma once
// The standard CRC-32 (reflected polynomial 0xEDB88320, the checksum of zlib
// and Ethernet) of a byte string, and the one shared instance the hash lists
// hash their keys with.

#include <array>
#include <cstdint>
#include <string_view>

class TZ5CRC {
public:
    static constexpr std::uint32_t Polynomial = 0xEDB88320; // reflected

    TZ5CRC();

    void Reset();
    // Resets, runs every byte of `bytes` through the register and keeps the
    // finished checksum in Value.
    std::uint32_t Calc(std::string_view bytes);
    std::uint32_t Value() const { return Value_; }

private:
    std::uint32_t Value_ = 0;
    std::uint32_t Register = 0;
    std::array<std::uint32_t, 256> Table{};
};

// The shared instance. It keeps its register in the object: one thread at a
// time (the main thread) may use it.
TZ5CRC& CRC();
