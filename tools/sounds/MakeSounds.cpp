// vaporel-sounds: makes the game's sound effects as WAVE files (22050 Hz,
// 16-bit, mono) in a folder, named after the sound manager's items:
//
//   select.wav  a soft click: a stroke changed a cell
//   Hit1.wav    a bright drop: blue water left through an outlet
//   Hit2.wav    a dull drop: the other water left through an outlet
//   clear.wav   a rising chime of four bell notes: the stage is cleared
//   decide.wav  a low falling tone: the stage is lost
//
//   vaporel-sounds FOLDER
//
// Every sound is computed from fixed numbers (the click's noise comes from a
// seeded generator), so the files come out the same each time.

#include "ToolMain.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int SampleRate = 22050; // frames per second
constexpr double Pi = 3.14159265358979323846;
constexpr double PeakLevel = 0.3; // of full scale: under the music, which peaks at 0.8

using Samples = std::vector<double>;

Samples Silence(double seconds) {
    return Samples(static_cast<std::size_t>(seconds * SampleRate + 0.5), 0.0);
}

double TimeOf(std::size_t frame) {
    return static_cast<double>(frame) / SampleRate;
}

// A sine whose frequency glides exponentially from `from` to `to` Hz over the
// sound, fading as exp(-t / decay) after a short rise that avoids a click.
void AddGlide(Samples& out, double start, double from, double to, double level, double decay,
              double rise = 0.003) {
    const std::size_t first = static_cast<std::size_t>(start * SampleRate);
    const double length = TimeOf(out.size() - first);
    double phase = 0;
    for (std::size_t i = first; i < out.size(); ++i) {
        const double t = TimeOf(i - first);
        const double frequency = from * std::pow(to / from, t / length);
        phase += 2 * Pi * frequency / SampleRate;
        const double envelope = std::min(t / rise, 1.0) * std::exp(-t / decay);
        out[i] += level * envelope * std::sin(phase);
    }
}

// A bell: a few inharmonic partials, the higher ones dying sooner.
void AddBell(Samples& out, double start, double frequency, double level) {
    struct Partial {
        double Ratio, Level, Decay;
    };
    for (const Partial& p : {Partial{1.0, 1.0, 0.45}, Partial{2.76, 0.35, 0.18}, Partial{5.40, 0.15, 0.08}})
        AddGlide(out, start, frequency * p.Ratio, frequency * p.Ratio, level * p.Level, p.Decay);
}

// Noise from a 32-bit linear congruential generator with a fixed seed.
void AddNoiseBurst(Samples& out, double level, double decay) {
    std::uint32_t seed = 12345;
    double low = 0; // a one-pole low-pass: the click is soft, not a hiss
    for (std::size_t i = 0; i < out.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed) / 2147483648.0 - 1.0;
        low += 0.35 * (noise - low);
        out[i] += level * low * std::exp(-TimeOf(i) / decay);
    }
}

Samples Click() {
    Samples out = Silence(0.04);
    AddNoiseBurst(out, 0.6, 0.006);
    AddGlide(out, 0, 1800, 1400, 0.3, 0.008, 0.0005);
    return out;
}

Samples BlueDrop() {
    Samples out = Silence(0.12);
    AddGlide(out, 0, 700, 1500, 0.8, 0.035);
    return out;
}

Samples EtcDrop() {
    Samples out = Silence(0.14);
    AddGlide(out, 0, 420, 260, 0.8, 0.04);
    AddGlide(out, 0, 840, 520, 0.25, 0.025);
    return out;
}

Samples Chime() {
    Samples out = Silence(1.5);
    const double notes[] = {587.33, 739.99, 880.00, 1174.66}; // D, F sharp, A, D an octave up
    for (int i = 0; i < 4; ++i)
        AddBell(out, i * 0.11, notes[i], 0.35);
    return out;
}

Samples LowTone() {
    Samples out = Silence(1.2);
    AddGlide(out, 0, 147, 98, 0.8, 0.5, 0.04);
    AddGlide(out, 0, 294, 196, 0.2, 0.3, 0.04);
    return out;
}

// Scales the sound so that its loudest sample is PeakLevel of full scale.
std::vector<std::int16_t> ToPcm(const Samples& sound) {
    double peak = 0;
    for (const double s : sound)
        peak = std::max(peak, std::abs(s));
    const double scale = peak > 0 ? PeakLevel * 32767 / peak : 0;
    std::vector<std::int16_t> pcm;
    pcm.reserve(sound.size());
    for (const double s : sound)
        pcm.push_back(static_cast<std::int16_t>(std::lround(s * scale)));
    return pcm;
}

void PutLittleEndian(std::ofstream& file, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        file.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void WriteWave(const std::string& fileName, const Samples& sound) {
    const std::vector<std::int16_t> pcm = ToPcm(sound);
    const auto dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
    std::ofstream file(fileName, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot write " + fileName);
    file.write("RIFF", 4);
    PutLittleEndian(file, 36 + dataBytes, 4);
    file.write("WAVEfmt ", 8);
    PutLittleEndian(file, 16, 4); // format chunk size
    PutLittleEndian(file, 1, 2);  // PCM
    PutLittleEndian(file, 1, 2);  // mono
    PutLittleEndian(file, SampleRate, 4);
    PutLittleEndian(file, SampleRate * 2, 4); // bytes per second
    PutLittleEndian(file, 2, 2);              // bytes per frame
    PutLittleEndian(file, 16, 2);             // bits per sample
    file.write("data", 4);
    PutLittleEndian(file, dataBytes, 4);
    for (const std::int16_t sample : pcm)
        PutLittleEndian(file, static_cast<std::uint16_t>(sample), 2);
    if (!file)
        throw std::runtime_error("cannot write " + fileName);
}

const char* const Usage = "usage: vaporel-sounds FOLDER\n"
                          "Writes the game's sound effects as WAVE files into FOLDER (which must exist):\n"
                          "select.wav, Hit1.wav, Hit2.wav, clear.wav and decide.wav.\n";

} // namespace

int main(int argc, char** argv) {
    return RunTool(argc, argv, "vaporel-sounds", Usage, [](const std::vector<std::string>& args) {
        if (args.size() != 1)
            throw std::runtime_error("one folder expected (see --help)");
        const std::string folder = args[0] + "/";
        WriteWave(folder + "select.wav", Click());
        WriteWave(folder + "Hit1.wav", BlueDrop());
        WriteWave(folder + "Hit2.wav", EtcDrop());
        WriteWave(folder + "clear.wav", Chime());
        WriteWave(folder + "decide.wav", LowTone());
    });
}
