#pragma once
// A plain reference for what the sound device plays, computed frame by frame
// from the definitions of the sound path rather than from the mixer's code:
// - a volume v (0..1) becomes round(2000 log10 v) hundredths of a decibel
//   (v <= 0 is silence, v >= 1 full level), and A hundredths of a decibel is
//   the amplitude factor 10^(A / 2000);
// - a pan p (-1..1) lowers the far side (the left for p > 0) by
//   round(-2000 log10(1 - |p|)) hundredths of a decibel; the near side keeps
//   its level, and p = ±1 silences the far side;
// - a rate r (0..2) plays round(r × the sound's rate) Hz, kept within
//   100..100000 Hz, stepping through the sound by Hz / 44100 frames per output
//   frame in 32.32 fixed point and interpolating linearly between a frame and
//   the next: for a sound that loops, the frame after the last is the first;
// - the channels are summed; a sum s above 24576 (0.75 of full scale) in size
//   goes out as 24576 + 8190 tanh((s - 24576) / 8190), with its sign, so that
//   it stays under 32766;
// - the result is rounded to 16 bits; a mono sound plays on both sides.
// Rounding is to the nearest integer, ties to even (the default mode).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// What the engine asks of a channel, in its own terms.
struct TReferenceSettings {
    double Volume = 1.0;
    double Pan = 0.0;
    double Rate = 1.0;
};

class TReferenceRenderer {
public:
    static constexpr std::uint32_t OutputRate = 44100;

    // `samples`: interleaved 16-bit samples of `channels` (1 or 2) channels
    // at `sampleRate` Hz. A sound that does not loop holds its last frame
    // between it and the end, and is silent after.
    TReferenceRenderer(std::vector<std::int16_t> samples, int channels, std::uint32_t sampleRate, bool loop)
        : Samples(std::move(samples)), Channels(channels), SampleRate(sampleRate), Loop(loop),
          Frames(Samples.size() / static_cast<std::size_t>(channels)) {}

    // The next `frames` output frames, interleaved stereo, with `settings`.
    std::vector<std::int16_t> Render(std::size_t frames, const TReferenceSettings& settings) {
        return ToOutput(Mix(frames, settings));
    }

    // The same, before it goes out: to be summed with other channels.
    std::vector<double> Mix(std::size_t frames, const TReferenceSettings& settings) {
        const double volume = Gain(VolumeHundredths(settings.Volume));
        const std::int32_t pan = PanHundredths(settings.Pan);
        const double left = volume * (pan > 0 ? Gain(-pan) : 1.0);
        const double right = volume * (pan < 0 ? Gain(pan) : 1.0);
        const std::uint64_t step = (std::uint64_t{Hz(settings.Rate)} << 32) / OutputRate;
        const std::uint64_t end = std::uint64_t{Frames} << 32;
        std::vector<double> out;
        for (std::size_t i = 0; i < frames; ++i) {
            if (Position >= end) { // a sound played once has ended
                out.insert(out.end(), {0, 0});
                continue;
            }
            out.push_back(Interpolated(0) * left);
            out.push_back(Interpolated(Channels - 1) * right);
            Position += step;
            if (Loop && Position >= end)
                Position %= end;
        }
        return out;
    }

    // round(2000 log10 x), with the floor below which a factor counts as 0 dB.
    static std::int32_t Hundredths(double factor) {
        if (std::abs(factor) <= 1e-12 || factor <= 0)
            return 0;
        return static_cast<std::int32_t>(std::nearbyint(2000.0 * std::log10(factor)));
    }
    static std::int32_t VolumeHundredths(double volume) {
        const double v = std::clamp(volume, 0.0, 1.0);
        return v <= 0 ? -10000 : v >= 1 ? 0 : Hundredths(v);
    }
    static std::int32_t PanHundredths(double pan) {
        const double p = std::clamp(pan, -1.0, 1.0);
        if (p <= -1 || p >= 1)
            return p < 0 ? -10000 : 10000;
        const std::int32_t a = -Hundredths(1 - std::abs(p));
        return p < 0 ? -a : a;
    }
    static double Gain(std::int32_t hundredths) {
        return hundredths <= -10000 ? 0.0 : std::pow(10.0, hundredths / 2000.0);
    }
    // A mix of channels as it goes out.
    static std::vector<std::int16_t> ToOutput(const std::vector<double>& mix) {
        std::vector<std::int16_t> out;
        for (const double value : mix) {
            constexpr double knee = 24576, room = 32766 - knee;
            const double size = std::abs(value);
            const double limited =
                size <= knee ? value : std::copysign(knee + room * std::tanh((size - knee) / room), value);
            out.push_back(static_cast<std::int16_t>(std::nearbyint(limited)));
        }
        return out;
    }

    std::uint32_t Hz(double rate) const {
        const double hz = std::nearbyint(SampleRate * std::clamp(rate, 0.0, 2.0));
        return static_cast<std::uint32_t>(std::clamp(hz, 100.0, 100000.0));
    }

private:
    double SampleAt(std::size_t frame, int channel) const {
        return Samples[frame * static_cast<std::size_t>(Channels) + static_cast<std::size_t>(channel)];
    }
    double Interpolated(int channel) const {
        const std::size_t frame = static_cast<std::size_t>(Position >> 32);
        const std::size_t next = frame + 1 < Frames ? frame + 1 : (Loop ? 0 : frame);
        const double t = static_cast<double>(Position & 0xFFFFFFFFu) / 4294967296.0;
        const double a = SampleAt(frame, channel);
        return a + (SampleAt(next, channel) - a) * t;
    }

    std::vector<std::int16_t> Samples;
    int Channels;
    std::uint32_t SampleRate;
    bool Loop;
    std::size_t Frames;
    std::uint64_t Position = 0; // frames, 32.32 fixed point
};

// Every sample of `played` within one step of `expected` (the mixer sums in
// single precision); the first difference is reported with its frame.
inline testing::AssertionResult MatchesReference(const std::vector<std::int16_t>& played,
                                                 const std::vector<std::int16_t>& expected) {
    if (played.size() != expected.size())
        return testing::AssertionFailure() << played.size() << " samples against " << expected.size();
    for (std::size_t i = 0; i < played.size(); ++i)
        if (std::abs(played[i] - expected[i]) > 1)
            return testing::AssertionFailure() << "frame " << i / 2 << (i % 2 ? " right: " : " left: ")
                                               << played[i] << " where the reference has " << expected[i];
    return testing::AssertionSuccess();
}

// Loud frames that change from one to the next, so that a wrong gain or a
// wrong neighbour in the interpolation shows: `frames` frames of `channels`.
inline std::vector<std::int16_t> LoudNoise(std::size_t frames, int channels, std::uint32_t seed = 1) {
    std::vector<std::int16_t> samples;
    for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels); ++i) {
        seed = seed * 1664525u + 1013904223u;
        samples.push_back(static_cast<std::int16_t>(static_cast<std::int32_t>(seed >> 16) - 32768));
    }
    return samples;
}
