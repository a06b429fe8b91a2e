#include "lib/Z5SoundStreamUnit.h"

TWaveFormat MakePcmFormat(std::uint16_t channels, std::uint32_t samplesPerSec, std::uint16_t bits) {
    TWaveFormat format;
    format.FormatTag = WaveFormatPcm;
    format.Channels = channels;
    format.SamplesPerSec = samplesPerSec;
    format.BitsPerSample = bits;
    format.BlockAlign = static_cast<std::uint16_t>(channels * (bits / 8));
    format.AvgBytesPerSec = format.BlockAlign * samplesPerSec;
    format.ExtraSize = 0;
    return format;
}
