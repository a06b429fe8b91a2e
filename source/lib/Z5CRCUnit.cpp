#include "lib/Z5CRCUnit.h"

TZ5CRC::TZ5CRC() {
    for (std::uint32_t n = 0; n < Table.size(); ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) != 0 ? (c >> 1) ^ Polynomial : c >> 1;
        Table[n] = c;
    }
}

void TZ5CRC::Reset() {
    Register = 0xFFFFFFFF;
}

std::uint32_t TZ5CRC::Calc(std::string_view bytes) {
    Reset();
    for (const char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        Register = Table[(Register ^ b) & 0xFF] ^ (Register >> 8);
    }
    Value_ = ~Register;
    return Value_;
}

TZ5CRC& CRC() {
    static TZ5CRC shared;
    return shared;
}
