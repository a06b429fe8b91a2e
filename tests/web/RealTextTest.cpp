// The browser build's real-number text against this C++ library's own
// std::to_chars / std::from_chars, which it stands in for.

#include "platform/web/RealText.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

using platform::web::ReadReal;
using platform::web::ShortestRealText;

namespace {

std::string LibraryText(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

struct TRead {
    double Value;
    std::ptrdiff_t Length;
    std::errc Error;
};

TRead LibraryRead(const std::string& text, std::chars_format format) {
    TRead read{-1.0, 0, {}};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), read.Value, format);
    read.Length = result.ptr - text.data();
    read.Error = result.ec;
    return read;
}

TRead OwnRead(const std::string& text, std::chars_format format) {
    TRead read{-1.0, 0, {}};
    const auto result = ReadReal(text.data(), text.data() + text.size(), read.Value, format);
    read.Length = result.ptr - text.data();
    read.Error = result.ec;
    return read;
}

std::vector<double> SampleValues() {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.5,
                                  0.1,
                                  100.0,
                                  1e21,
                                  1e22,
                                  123456789012345680.0,
                                  1e-5,
                                  0.0001,
                                  0.001,
                                  5e-324,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  9007199254740993.0,
                                  1234.5678,
                                  6.283185307179586};
    std::mt19937_64 random(31);
    for (int i = 0; i < 20000; ++i) {
        double value = std::bit_cast<double>(random()); // any bits: every exponent
        if (std::isfinite(value))
            values.push_back(value);
        values.push_back(static_cast<double>(random() % 100000) / 1000.0); // short decimals
    }
    return values;
}

} // namespace

TEST(RealText, ShortestTextIsTheLibrarysForEveryKindOfNumber) {
    for (const double value : SampleValues())
        ASSERT_EQ(ShortestRealText(value), LibraryText(value)) << std::hexfloat << value;
}

TEST(RealText, ReadsBackEveryShortestText) {
    for (const double value : SampleValues()) {
        const std::string text = LibraryText(value);
        const TRead read = OwnRead(text, std::chars_format::general);
        ASSERT_EQ(read.Error, std::errc()) << text;
        ASSERT_EQ(read.Length, static_cast<std::ptrdiff_t>(text.size())) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(read.Value), std::bit_cast<std::uint64_t>(value)) << text;
    }
}

TEST(RealText, ReadsWhatTheLibraryReadsAndStopsWhereItStops) {
    const char* const texts[] = {
        "1.5", "-2.25e3", "1e",     "1e+",   ".5",  "5.",        "-",   "",      "+1",     " 1",
        "abc", "0x1p3",   "1.2.3",  "1e-2x", "inf", "-Infinity", "nan", "1e400", "-1e400", "1e-400",
        "007", "3.0e0",   "12e-1a", ".",     "e5",  "-.e1",      "1E5", "infx",  "nan(1)", "1,5"};
    const std::chars_format formats[] = {std::chars_format::general, std::chars_format::fixed,
                                         std::chars_format::scientific};
    for (const char* text : texts)
        for (const std::chars_format format : formats) {
            const TRead want = LibraryRead(text, format);
            const TRead got = OwnRead(text, format);
            ASSERT_EQ(got.Error, want.Error) << "'" << text << "' format " << static_cast<int>(format);
            ASSERT_EQ(got.Length, want.Length) << "'" << text << "' format " << static_cast<int>(format);
            if (want.Error != std::errc()) {
                ASSERT_EQ(got.Value, -1.0) << "'" << text << "': the value must stay as it was";
            } else if (!std::isnan(want.Value)) {
                ASSERT_EQ(got.Value, want.Value) << "'" << text << "'";
            }
        }
}
