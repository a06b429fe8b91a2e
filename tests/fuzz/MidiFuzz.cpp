// Fuzzed bytes as a MIDI file: Load, then play what loaded on a recording
// output, as the music player plays even a file that loaded only in part. A
// damaged file must end or stop; crashes, hangs, leaks, reads out of bounds
// and sanitizer reports are findings.

#include "lib/Z5MIDIUnit.h"
#include "platform/MidiOutput.h"

#include <cstdint>
#include <memory>

namespace {

// Timer ticks run per input at the highest speed; a longer piece is finished
// at once below.
constexpr int StepsRun = 20000;
// More ticks than any delta time holds: lets at least the next event fall due.
constexpr std::int64_t BeyondAnyDelta = std::int64_t{1} << 33;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TZ5MemoryStream file;
    file.Write(data, static_cast<std::int32_t>(size));
    file.SetPosition(0);

    auto clock = std::make_unique<TZ5MIDISteppedClock>();
    TZ5MIDISteppedClock& steps = *clock;
    TZ5MIDI midi(std::make_unique<platform::RecordingMidiOutput>(), std::move(clock));
    midi.Load(file);
    midi.SetTempoPercent(TZ5MIDI::MaxTempoPercent);
    midi.Play();
    for (int i = 0; i < StepsRun && midi.Playing(); ++i) {
        steps.Step();
        midi.Update();
    }
    for (const auto& track : midi.Tracks()) {
        // Each event takes a byte at least, so a track has fewer events than
        // the file has bytes; several deltas near 2^32 need a call each.
        for (std::size_t call = 0; call <= size && !track->Finished(); ++call)
            track->Advance(BeyondAnyDelta);
        if (!track->Finished())
            __builtin_trap(); // every event has fallen due: the track must be at its end
    }
    return 0;
}
