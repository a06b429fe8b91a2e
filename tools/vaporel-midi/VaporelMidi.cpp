// vaporel-midi: plays a Standard MIDI File through the engine's MIDI player,
// so that a person can hear it, or prints what the player sends and when.

#include "ToolMain.h"
#include "lib/Z5MIDIUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"
#include "platform/Clock.h"
#include "platform/MidiOutput.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

const char* const Usage =
    R"(usage: vaporel-midi FILE [--tempo PERCENT] [--loop] [--print]

Plays the Standard MIDI File FILE (format 0 or 1) through the engine's MIDI
player on the first synthesizer of the ALSA sequencer (a software synthesizer
such as FluidSynth or TiMidity when one runs, or a hardware MIDI port). With
none, the file plays silently and a note says so. Ctrl+C stops it.

  --tempo PERCENT  speed in percent, 1 to 10000 (100 by default)
  --loop           plays the file again each time it ends, until Ctrl+C
  --print          plays once on a simulated 2 ms clock instead of real time
                   and prints each message the player sends, one a line:
                     tick=<timer tick> <bytes in hex>
                   and "tick=<timer tick> reset" for the output's reset;
                   it ends when every track has finished and the player has
                   silenced every channel. The clock passes over the ticks
                   at which nothing happens at once, so a long silence takes
                   no time; a file that would play for more than 24 hours is
                   refused before anything is printed

A file that cannot be read or is no MIDI file of format 0 or 1 gives one line
on standard error and exit status 1.

--help prints this text, --version the program's version.
)";

class EArguments : public Exception {
public:
    using Exception::Exception;
};

struct TOptions {
    std::string File;
    std::int32_t TempoPercent = 100;
    bool Loop = false;
    bool Print = false;
};

TOptions ParseArguments(const std::vector<std::string>& args) {
    TOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--tempo") {
            if (i + 1 >= args.size())
                throw EArguments("--tempo needs a value");
            const std::optional<std::int32_t> percent = TextToInt(args[++i]);
            if (!percent || *percent < TZ5MIDI::MinTempoPercent || *percent > TZ5MIDI::MaxTempoPercent)
                throw EArguments("--tempo takes a percentage from 1 to 10000: '" + args[i] + "'");
            options.TempoPercent = *percent;
        } else if (arg == "--loop") {
            options.Loop = true;
        } else if (arg == "--print") {
            options.Print = true;
        } else if (arg.rfind("--", 0) == 0) {
            throw EArguments("unknown option " + arg);
        } else if (!options.File.empty()) {
            throw EArguments("more than one file: '" + arg + "'");
        } else {
            options.File = arg;
        }
    }
    if (options.File.empty())
        throw EArguments("no MIDI file given (see --help)");
    return options;
}

std::unique_ptr<TZ5MemoryStream> ReadMidiFile(const std::string& path) {
    auto stream = std::make_unique<TZ5MemoryStream>(0, path);
    stream->SetAsString(platform::ReadCheckedFile(path, TZ5MIDI::MaxFileBytes));
    return stream;
}

void LoadInto(TZ5MIDI& midi, TZ5Stream& file, const TOptions& options) {
    if (!midi.Load(file))
        throw Exception(options.File + ": not a Standard MIDI File of format 0 or 1, or damaged");
    midi.SetTempoPercent(options.TempoPercent);
}

// The longest piece --print plays: 24 hours of timer ticks.
constexpr std::int64_t MaxPrintedTicks = std::int64_t{24} * 60 * 60 * 1000 / TZ5MIDI::TickInterval;

// Prints each message as the player sends it, stamped with the timer tick
// that sent it, so that nothing piles up however many fall due at once.
class TPrintingMidiOutput final : public platform::MidiOutput {
public:
    void SendShort(std::uint32_t message) override {
        Print({Now, platform::MidiRecordKind::Short, platform::ShortMessageBytes(message)});
    }
    void SendLong(std::span<const std::uint8_t> block) override {
        Print({Now, platform::MidiRecordKind::Long, {block.begin(), block.end()}});
    }
    void Reset() override { Print({Now, platform::MidiRecordKind::Reset, {}}); }

    std::int64_t Now = 0;

private:
    static void Print(const platform::MidiRecord& record) {
        std::puts(platform::FormatRecord(record).c_str());
    }
};

// Plays the file once on the simulated clock, through `printer` when there
// is one. The clock runs the quiet ticks before each tick at which something
// falls due at once; a piece that would run past MaxPrintedTicks is refused.
void PlaySimulated(TZ5Stream& file, const TOptions& options, std::unique_ptr<TPrintingMidiOutput> printer) {
    auto clock = std::make_unique<TZ5MIDISteppedClock>();
    TZ5MIDISteppedClock& steps = *clock;
    TPrintingMidiOutput* out = printer.get();
    file.SetPosition(0);
    TZ5MIDI midi(std::move(printer), std::move(clock));
    LoadInto(midi, file, options);
    midi.Play();
    while (midi.Playing()) {
        const std::int64_t quiet = midi.QuietTicks();
        if (steps.Steps() + quiet + 1 > MaxPrintedTicks)
            throw Exception(options.File + ": plays for more than 24 hours, longer than --print takes");
        if (quiet > 0)
            steps.Step(quiet);
        if (out != nullptr)
            out->Now = steps.Steps() + 1;
        steps.Step();
        midi.Update(); // stops the player once every track has finished
    }
}

void PrintRun(const TOptions& options) {
    const auto file = ReadMidiFile(options.File);
    // A silent run first measures the piece: a file that is too long is
    // refused before a line is printed.
    PlaySimulated(*file, options, nullptr);
    PlaySimulated(*file, options, std::make_unique<TPrintingMidiOutput>());
}

volatile std::sig_atomic_t Interrupted = 0;

void Interrupt(int) {
    Interrupted = 1;
}

void RealTimeRun(const TOptions& options) {
    const auto file = ReadMidiFile(options.File); // before the sequencer is opened
    TZ5MIDI midi;
    LoadInto(midi, *file, options);
    if (!midi.HasOutput())
        std::fprintf(stderr,
                     "vaporel-midi: no MIDI synthesizer on the ALSA sequencer: nothing will be heard\n");
    midi.Loop = options.Loop;
    std::signal(SIGINT, Interrupt);
    std::signal(SIGTERM, Interrupt);
    midi.Play();
    constexpr std::uint32_t FrameMs = 16; // the player is looked after once a frame, as in a game
    while (midi.Playing() && !Interrupted) {
        midi.Update();
        platform::SleepMs(FrameMs);
    }
    midi.Stop(); // silences every channel, also after Ctrl+C
}

} // namespace

int main(int argc, char** argv) {
    return RunTool(argc, argv, "vaporel-midi", Usage, [](const std::vector<std::string>& args) {
        const TOptions options = ParseArguments(args);
        options.Print ? PrintRun(options) : RealTimeRun(options);
    });
}
