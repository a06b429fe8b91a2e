#pragma once
// The MIDI player: plays a Standard MIDI File (format 0 or 1) held in a stream
// on a MIDI output. The file is split into one track per track chunk; a clock
// ticking every 2 ms converts elapsed time into MIDI ticks from the file's
// division, the current tempo and a speed percentage, and every track sends
// the events that have fallen due.
//
// Threads: Tick (and the tracks' Advance) run on the clock's thread, which is
// the periodic timer's while playing in real time; everything else runs on the
// owner's thread. Stop, Load, Play and the destruction stop the clock first
// (waiting for a running Tick) before they touch the tracks or the output.
// What the owner's thread reads while the clock runs (Finished, Tempo,
// TotalTicks, TempoPercent) is atomic.

#include "lib/Z5StreamUnit.h"
#include "lib/Z5TimerUnit.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace platform {
class MidiOutput;
}

class TZ5MIDI;

// What makes the player's ticks come: the periodic timer in real time, or a
// caller stepping a simulated clock.
class TZ5MIDIClock {
public:
    // Runs `count` timer ticks at once (the timer runs them one by one).
    using TTick = std::function<void(std::int64_t count)>;

    virtual ~TZ5MIDIClock() = default;
    // False when the ticks cannot come.
    virtual bool Start(TTick tick) = 0;
    // Returns once a running tick has finished; none starts after it.
    virtual void Stop() = 0;
};

// Real time: the periodic timer, one tick every TZ5MIDI::TickInterval ms.
class TZ5MIDITimerClock final : public TZ5MIDIClock {
public:
    TZ5MIDITimerClock();
    bool Start(TTick tick) override;
    void Stop() override;

private:
    TZ5Timer Timer;
};

// Simulated time: each Step runs timer ticks on the caller's thread.
class TZ5MIDISteppedClock final : public TZ5MIDIClock {
public:
    bool Start(TTick tick) override;
    void Stop() override;
    // Runs `count` (>= 1) ticks at once; false (and nothing runs) while the
    // player is stopped. More than one at a time is the same as one by one
    // only while nothing falls due before the last (TZ5MIDI::QuietTicks).
    bool Step(std::int64_t count = 1);
    // Steps run since the clock was made.
    std::int64_t Steps() const { return Steps_; }

private:
    TTick Tick;
    std::int64_t Steps_ = 0;
};

// One track chunk of the file and where its playing stands.
class TZ5MIDITrack {
public:
    // The track's bytes come from `data` (position 0 onwards).
    TZ5MIDITrack(TZ5MIDI& owner, std::unique_ptr<TZ5MemoryStream> data);

    // Back to the start of the track, nothing pending, no running status.
    void Rewind();
    // Lets `ticks` more MIDI ticks pass and sends every event that falls due.
    // A track that ends, or whose data is damaged, becomes Finished.
    void Advance(std::int64_t ticks);
    // MIDI ticks that must pass before Advance has something to do (the next
    // event falls due, or the track ends where its data runs out or is cut),
    // at least 1. Peeks at the data: only while no clock thread advances it.
    std::int64_t TicksUntilDue();

    bool Finished() const { return Finished_.load(std::memory_order_relaxed); }

private:
    bool ReadVariableLength(std::uint32_t& value);
    // Each answers false when the event is cut off by the end of the data.
    bool MetaEvent();
    bool SystemExclusive(std::uint8_t status);
    bool ChannelMessage(std::uint8_t firstByte);
    void Finish() { Finished_.store(true, std::memory_order_relaxed); }
    std::int32_t Remaining();

    TZ5MIDI& Owner;
    std::unique_ptr<TZ5MemoryStream> TrackData;
    std::atomic<bool> Finished_{false};
    // Elapsed ticks not yet used up by delta times; below 2^32 whenever
    // Advance returns with the track unfinished, as a delta time fits 32 bits.
    std::int64_t PendingTicks = 0;
    std::uint8_t RunningStatus = 0;
};

class TZ5MIDI {
public:
    static constexpr std::int32_t TickInterval = 2; // milliseconds between timer ticks
    static constexpr std::int32_t MinTempoPercent = 1;
    static constexpr std::int32_t MaxTempoPercent = 10000;
    // The largest file the player takes (a MIDI file of a long piece is some 100 KiB).
    static constexpr std::int32_t MaxFileBytes = 16 * 1024 * 1024;

    // The system's synthesizer (nothing is heard when there is none) and the
    // periodic timer.
    TZ5MIDI();
    // `output` may be null: everything runs, nothing is sent.
    TZ5MIDI(std::unique_ptr<platform::MidiOutput> output, std::unique_ptr<TZ5MIDIClock> clock);
    ~TZ5MIDI(); // stops first
    TZ5MIDI(const TZ5MIDI&) = delete;
    TZ5MIDI& operator=(const TZ5MIDI&) = delete;

    // Reads a Standard MIDI File from the stream's position: the header, then
    // each track chunk. False for anything but format 0 or 1 with at least one
    // track and a positive division, and for a chunk that is not a track or
    // runs past the data; tracks read before a bad chunk stay, those of an
    // earlier file never do. Stops playing first.
    bool Load(TZ5Stream& stream);
    // Restarts every track from its beginning and starts the clock. False
    // without a track to play.
    bool Play();
    // Stops the clock; then, on every channel, all sound off, all notes off
    // and reset all controllers, and a reset of the output. False when not playing.
    bool Stop();
    // Once per frame on the owner's thread: when every track of a playing
    // piece has finished, plays it again with Loop, else stops.
    void Update();
    // Clamped to MinTempoPercent..MaxTempoPercent.
    void SetTempoPercent(std::int32_t percent);
    // `count` timer ticks: turns count × TickInterval ms into MIDI ticks and
    // advances the tracks.
    void Tick(std::int64_t count = 1);
    // Timer ticks that pass before the first one at which a track has
    // something to do: a simulated clock may run them at once. 0 when the
    // next tick has, or when nothing is left to do. Only while no clock
    // thread runs the player.
    std::int64_t QuietTicks();

    // Play again when every track has finished.
    bool Loop = false;

    bool Playing() const { return Playing_; }
    bool HasOutput() const { return Output != nullptr; }
    std::int32_t Tempo() const {
        return Tempo_.load(std::memory_order_relaxed);
    } // microseconds per quarter note
    std::int32_t TempoPercent() const { return TempoPercent_.load(std::memory_order_relaxed); }
    std::int32_t SmfFormat() const { return SmfFormat_; }
    std::int32_t TrackCount() const { return TrackCount_; } // as the header says
    std::int32_t Division() const { return Division_; }     // ticks per quarter note
    std::int64_t TotalTicks() const { return TotalTicks_.load(std::memory_order_relaxed); }
    // The tracks read by the last Load.
    std::span<const std::unique_ptr<TZ5MIDITrack>> Tracks() const { return TrackList; }

private:
    friend class TZ5MIDITrack; // sends through the output and sets the tempo

    bool ReadHeader(TZ5Stream& stream);
    bool ReadTrack(TZ5Stream& stream);
    bool AllTracksFinished() const;
    // Microsecond-ticks one timer tick adds to the tick division.
    std::int64_t ElapsedPerTick() const;
    void SilenceAllChannels();
    void SendShort(std::uint32_t message);
    void SendLong(std::span<const std::uint8_t> block);
    void SetTempo(std::int32_t tempo) { Tempo_.store(tempo, std::memory_order_relaxed); }

    std::unique_ptr<platform::MidiOutput> Output;
    std::vector<std::unique_ptr<TZ5MIDITrack>> TrackList;
    std::atomic<std::int32_t> Tempo_{0};
    std::atomic<std::int32_t> TempoPercent_{100};
    std::int32_t SmfFormat_ = 0;
    std::int32_t TrackCount_ = 0;
    std::int32_t Division_ = 0;
    std::atomic<std::int64_t> TotalTicks_{0};
    std::int64_t TickRemainder = 0; // microsecond-ticks carried to the next timer tick
    bool Playing_ = false;
    std::unique_ptr<TZ5MIDIClock> Clock; // last: goes first, so no tick outlives the tracks
};
