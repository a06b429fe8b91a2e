// vaporel-music: composes "Still Water", the game's music, and writes it as
// an Ogg Vorbis file. A calm piece in D major at 72 beats a minute: a soft
// pad over four chords, a low bass, a melody of water drops and a few rising
// bubbles, in an echoing space. 24 bars, 80 seconds, looping.
//
//   vaporel-music OUTPUT.ogg
//
// The piece is rendered as one period of a loop: every sound that rings past
// the end is folded back onto the beginning, and the echoes are run until
// they repeat exactly, so the last sample leads into the first as smoothly as
// any sample into the next. Everything is fixed (the melody comes from a
// seeded generator), so the file comes out the same each time.

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int SampleRate = 44100; // frames per second
constexpr double Tempo = 72.0;    // beats per minute
constexpr int BeatsPerBar = 4;
constexpr int Bars = 24;
constexpr double BeatSeconds = 60.0 / Tempo;
constexpr double BarSeconds = BeatSeconds * BeatsPerBar;
constexpr int LoopFrames = static_cast<int>(Bars * BarSeconds * SampleRate + 0.5); // 80 s
constexpr double Pi = 3.14159265358979323846;
constexpr float VorbisQuality = 0.3f; // soft tones need few bits: about 40 kbit/s here
constexpr double PeakLevel = 0.8;     // of full scale, after mixing

// One period of the loop in stereo; writes past the end wrap to the start.
class LoopTrack {
public:
    explicit LoopTrack(int frames) : Left(frames), Right(frames) {}

    void Add(long frame, double left, double right) {
        const long n = static_cast<long>(Left.size());
        const long i = ((frame % n) + n) % n;
        Left[i] += left;
        Right[i] += right;
    }
    int Frames() const { return static_cast<int>(Left.size()); }

    std::vector<double> Left;
    std::vector<double> Right;
};

// Pitch of a note number (69 = A4 = 440 Hz).
double NoteHz(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// Equal-power pan: -1 left, 0 centre, 1 right.
std::pair<double, double> PanGains(double pan) {
    const double angle = (pan + 1.0) * Pi / 4.0;
    return {std::cos(angle), std::sin(angle)};
}

long FrameAt(double seconds) {
    return std::lround(seconds * SampleRate);
}

// 1, falling to 0 over the last 50 ms of a sound `length` seconds long, so
// that no sound is cut off with a click.
double EndFade(double t, double length) {
    constexpr double fade = 0.05; // seconds
    return std::clamp((length - t) / fade, 0.0, 1.0);
}

// A held pad note: three slightly detuned sines and a soft octave, swelling
// in and fading out.
void AddPadNote(LoopTrack& track, int note, double start, double length, double level, double pan) {
    constexpr double attack = 1.4, release = 1.8; // seconds
    constexpr std::array<double, 3> detune = {-0.0016, 0.0, 0.0019};
    const double hz = NoteHz(note);
    const auto [gl, gr] = PanGains(pan);
    const long first = FrameAt(start), count = FrameAt(length + release);
    for (long i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        double env = std::min(1.0, t / attack);
        if (t > length)
            env *= 1.0 - (t - length) / release;
        env = env * env * (3 - 2 * env); // smooth ends
        double s = 0.0;
        for (double d : detune)
            s += std::sin(2 * Pi * hz * (1 + d) * t);
        s = s / 3.0 + 0.18 * std::sin(2 * Pi * 2 * hz * t + 0.7);
        track.Add(first + i, s * env * level * gl, s * env * level * gr);
    }
}

// A water drop: a sine whose pitch falls a little as it rings, with a quick
// strike and a long soft decay, plus a faint bell-like overtone.
void AddDrop(LoopTrack& track, int note, double start, double level, double pan) {
    constexpr double decay = 0.55, ring = 2.6; // seconds
    const double hz = NoteHz(note);
    const auto [gl, gr] = PanGains(pan);
    const long first = FrameAt(start), count = FrameAt(ring);
    double phase = 0.0, overtone = 0.0;
    for (long i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double glide = 1.0 + 0.035 * std::exp(-t / 0.012); // the drop's splash
        phase += 2 * Pi * hz * glide / SampleRate;
        overtone += 2 * Pi * hz * 2.76 * glide / SampleRate;
        const double strike = std::min(1.0, t / 0.004);
        const double env = strike * std::exp(-t / decay) * EndFade(t, ring);
        const double s = (std::sin(phase) + 0.22 * std::sin(overtone) * std::exp(-t / 0.15)) * env * level;
        track.Add(first + i, s * gl, s * gr);
    }
}

// A low sine bass with a touch of its octave, swelling and fading over a bar.
void AddBass(LoopTrack& track, int note, double start, double length, double level) {
    const double hz = NoteHz(note);
    const double sounding = length + 1.0; // seconds
    const long first = FrameAt(start), count = FrameAt(sounding);
    for (long i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double env = std::min(1.0, t / 0.08) * std::exp(-t / (length * 0.7)) * EndFade(t, sounding);
        const double s = (std::sin(2 * Pi * hz * t) + 0.25 * std::sin(4 * Pi * hz * t)) * env * level;
        track.Add(first + i, s, s);
    }
}

// A bubble rising to the surface: a short upward chirp.
void AddBubble(LoopTrack& track, double start, double level, double pan, double lowHz) {
    constexpr double length = 0.07; // seconds
    const auto [gl, gr] = PanGains(pan);
    const long first = FrameAt(start), count = FrameAt(length);
    double phase = 0.0;
    for (long i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        phase += 2 * Pi * lowHz * (1.0 + 2.5 * t / length) / SampleRate;
        const double env = std::sin(Pi * t / length);
        const double s = std::sin(phase) * env * env * level;
        track.Add(first + i, s * gl, s * gr);
    }
}

// A fixed linear congruential generator: the same piece on every machine.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : State(seed) {}
    double Next() { // 0 <= x < 1
        State = State * 1664525u + 1013904223u;
        return (State >> 8) / 16777216.0;
    }
    int Below(int n) { return static_cast<int>(Next() * n); }

private:
    std::uint32_t State;
};

struct Chord {
    int Bass;                  // note number
    std::array<int, 4> Pad;    // note numbers
    std::array<int, 5> Melody; // notes the drops choose from, low to high
};

// Two bars each: Dmaj9, Bm9, Gmaj9, A6sus (D major, pentatonic melody).
const std::array<Chord, 4> Progression = {{
    {38, {54, 57, 61, 64}, {69, 73, 74, 76, 78}},
    {35, {50, 54, 57, 61}, {66, 69, 71, 73, 74}},
    {43, {50, 54, 57, 62}, {66, 67, 69, 71, 74}},
    {45, {50, 52, 57, 59}, {64, 66, 69, 71, 76}},
}};

void ComposePadAndBass(LoopTrack& track) {
    for (int bar = 0; bar < Bars; bar += 2) {
        const Chord& chord = Progression[(bar / 2) % Progression.size()];
        const double start = bar * BarSeconds;
        for (std::size_t i = 0; i < chord.Pad.size(); ++i)
            AddPadNote(track, chord.Pad[i], start, 2 * BarSeconds, 0.055,
                       -0.45 + 0.3 * static_cast<double>(i));
        AddBass(track, chord.Bass, start, BarSeconds * 1.5, 0.16);
        AddBass(track, chord.Bass, start + 1.5 * BarSeconds, BarSeconds * 0.5, 0.09);
    }
}

// The drops wander through the chord's notes in small steps. The first eight
// bars are sparse, the middle eight busier, the last eight thin out again
// towards the loop's return.
void ComposeDrops(LoopTrack& track) {
    Dice dice(20261207u);
    constexpr int EighthsPerBar = 2 * BeatsPerBar;
    constexpr std::array<double, 3> density = {0.28, 0.5, 0.33};
    int step = 2;
    for (int bar = 0; bar < Bars; ++bar) {
        const Chord& chord = Progression[(bar / 2) % Progression.size()];
        for (int eighth = 0; eighth < EighthsPerBar; ++eighth) {
            const bool onBeat = eighth % 2 == 0;
            if (dice.Next() > density[bar / 8] * (onBeat ? 1.4 : 0.7))
                continue;
            step = std::clamp(step + dice.Below(3) - 1, 0, static_cast<int>(chord.Melody.size()) - 1);
            const double start = bar * BarSeconds + eighth * BeatSeconds / 2 + 0.01 * dice.Next();
            const double level = (onBeat ? 0.2 : 0.14) * (0.8 + 0.2 * dice.Next());
            AddDrop(track, chord.Melody[step], start, level, 0.6 * (dice.Next() * 2 - 1));
        }
    }
}

void ComposeBubbles(LoopTrack& track) {
    Dice dice(88172645u);
    const double seconds = static_cast<double>(track.Frames()) / SampleRate;
    for (double t = 0.5; t < seconds; t += 1.5 + 3.0 * dice.Next()) {
        const int burst = 1 + dice.Below(3);
        for (int i = 0; i < burst; ++i)
            AddBubble(track, t + 0.09 * i, 0.05, dice.Next() * 1.6 - 0.8, 350 + 500 * dice.Next());
    }
}

// Two cross-fed echoes, run over the loop until they repeat: the echo of the
// end falls onto the beginning, as it does when the piece plays on.
LoopTrack WithEchoes(const LoopTrack& dry) {
    constexpr double delayLeft = 0.41, delayRight = 0.57; // seconds
    constexpr double feedback = 0.38, cross = 0.22, wet = 0.34;
    const int n = dry.Frames();
    const long dl = FrameAt(delayLeft), dr = FrameAt(delayRight);
    std::vector<double> echoL(static_cast<std::size_t>(n)), echoR(static_cast<std::size_t>(n));
    // Each pass loses at least 40 % of the echo; 40 passes leave nothing audible.
    for (int pass = 0; pass < 40; ++pass)
        for (int i = 0; i < n; ++i) {
            const auto fromL = static_cast<std::size_t>((i - dl + n) % n);
            const auto fromR = static_cast<std::size_t>((i - dr + n) % n);
            echoL[static_cast<std::size_t>(i)] =
                dry.Left[fromL] + feedback * echoL[fromL] + cross * echoR[fromL];
            echoR[static_cast<std::size_t>(i)] =
                dry.Right[fromR] + feedback * echoR[fromR] + cross * echoL[fromR];
        }
    LoopTrack out(n);
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        out.Left[i] = dry.Left[i] + wet * echoL[i];
        out.Right[i] = dry.Right[i] + wet * echoR[i];
    }
    return out;
}

void Normalise(LoopTrack& track) {
    double peak = 0.0;
    for (std::size_t i = 0; i < track.Left.size(); ++i)
        peak = std::max({peak, std::abs(track.Left[i]), std::abs(track.Right[i])});
    const double gain = PeakLevel / peak;
    for (std::size_t i = 0; i < track.Left.size(); ++i) {
        track.Left[i] *= gain;
        track.Right[i] *= gain;
    }
}

// ---- Encoding

// The output file. Close reports what the last buffered writes met (a full
// disk shows there); a file dropped without Close is left as it is.
class OggFile {
public:
    explicit OggFile(const std::string& path) : Path(path), File(std::fopen(path.c_str(), "wb")) {
        if (!File)
            throw std::runtime_error("cannot write " + Path);
    }
    ~OggFile() {
        if (File)
            std::fclose(File);
    }
    OggFile(const OggFile&) = delete;
    OggFile& operator=(const OggFile&) = delete;

    void Write(const ogg_page& page) {
        if (std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), File) !=
                static_cast<std::size_t>(page.header_len) ||
            std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), File) !=
                static_cast<std::size_t>(page.body_len))
            throw std::runtime_error("cannot write " + Path);
    }
    void Close() {
        const int result = std::fclose(File);
        File = nullptr;
        if (result != 0)
            throw std::runtime_error("cannot write " + Path);
    }

private:
    std::string Path;
    std::FILE* File;
};

// libvorbisenc's encoding state, released in reverse order of creation.
struct Encoder {
    vorbis_info Info;
    vorbis_comment Comment;
    vorbis_dsp_state Dsp;
    vorbis_block Block;
    ogg_stream_state Stream;

    Encoder() {
        vorbis_info_init(&Info);
        if (vorbis_encode_init_vbr(&Info, 2, SampleRate, VorbisQuality) != 0) {
            vorbis_info_clear(&Info); // the destructor does not run for a throwing constructor
            throw std::runtime_error("the Vorbis encoder refuses the settings");
        }
        vorbis_comment_init(&Comment);
        vorbis_comment_add_tag(&Comment, "TITLE", "Still Water");
        vorbis_comment_add_tag(&Comment, "ALBUM", "The Vaporel Vovor of ZANK");
        vorbis_analysis_init(&Dsp, &Info);
        vorbis_block_init(&Dsp, &Block);
        ogg_stream_init(&Stream, 20261207);
    }
    ~Encoder() {
        ogg_stream_clear(&Stream);
        vorbis_block_clear(&Block);
        vorbis_dsp_clear(&Dsp);
        vorbis_comment_clear(&Comment);
        vorbis_info_clear(&Info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void WriteHeaders(OggFile& out) {
        ogg_packet id, comments, codebooks;
        vorbis_analysis_headerout(&Dsp, &Comment, &id, &comments, &codebooks);
        ogg_stream_packetin(&Stream, &id);
        ogg_stream_packetin(&Stream, &comments);
        ogg_stream_packetin(&Stream, &codebooks);
        ogg_page page;
        while (ogg_stream_flush(&Stream, &page) != 0)
            out.Write(page); // audio starts on a fresh page
    }

    // Hands `frames` frames (0 ends the stream) to the encoder and writes
    // every page that becomes complete.
    void Encode(const LoopTrack& track, int first, int frames, OggFile& out) {
        if (frames > 0) {
            float** buffer = vorbis_analysis_buffer(&Dsp, frames);
            for (int i = 0; i < frames; ++i) {
                buffer[0][i] = static_cast<float>(track.Left[static_cast<std::size_t>(first + i)]);
                buffer[1][i] = static_cast<float>(track.Right[static_cast<std::size_t>(first + i)]);
            }
        }
        vorbis_analysis_wrote(&Dsp, frames);
        while (vorbis_analysis_blockout(&Dsp, &Block) == 1) {
            vorbis_analysis(&Block, nullptr);
            vorbis_bitrate_addblock(&Block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&Dsp, &packet) == 1) {
                ogg_stream_packetin(&Stream, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&Stream, &page) != 0)
                    out.Write(page);
            }
        }
    }
};

void WriteOgg(const LoopTrack& track, const std::string& path) {
    OggFile out(path);
    Encoder encoder;
    encoder.WriteHeaders(out);
    constexpr int chunk = 4096; // frames handed over at a time
    for (int first = 0; first < track.Frames(); first += chunk)
        encoder.Encode(track, first, std::min(chunk, track.Frames() - first), out);
    encoder.Encode(track, 0, 0, out);
    out.Close();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ogg\n", argv[0]);
        return 2;
    }
    try {
        LoopTrack dry(LoopFrames);
        ComposePadAndBass(dry);
        ComposeDrops(dry);
        ComposeBubbles(dry);
        LoopTrack piece = WithEchoes(dry);
        Normalise(piece);
        WriteOgg(piece, argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vaporel-music: %s\n", e.what());
        return 1;
    }
    return 0;
}
