#include "lib/Z5MIDIUnit.h"

#include "platform/MidiOutput.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr char SequencerClientName[] = "The Vaporel Vovor of ZANK";

constexpr std::int32_t HeaderBytes = 14;     // "MThd", length, format, track count, division
constexpr std::int32_t ChunkHeaderBytes = 8; // "MTrk", length

constexpr std::uint8_t MetaStatus = 0xFF;
constexpr std::uint8_t MetaEndOfTrack = 0x2F;
constexpr std::uint8_t MetaSetTempo = 0x51;
constexpr std::int32_t SetTempoBytes = 3;
constexpr std::uint8_t SystemExclusiveStatus = 0xF0;
constexpr std::uint8_t SystemExclusiveContinuation = 0xF7;

constexpr std::uint8_t ControlChange = 0xB0;
// Sent on every channel, in this order, when the player stops.
constexpr std::array<std::uint8_t, 3> SilencingControllers{120 /* all sound off */, 123 /* all notes off */,
                                                           121 /* reset all controllers */};
constexpr std::uint8_t ChannelCount = 16;

std::uint32_t BigEndian(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

bool HasOneDataByte(std::uint8_t status) {
    return status >= 0xC0 && status <= 0xDF; // program change, channel pressure
}

std::uint32_t PackShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    return status | (static_cast<std::uint32_t>(data1) << 8) | (static_cast<std::uint32_t>(data2) << 16);
}

} // namespace

// --- Clocks ---------------------------------------------------------------------------

TZ5MIDITimerClock::TZ5MIDITimerClock() {
    Timer.SetInterval(TZ5MIDI::TickInterval);
}

bool TZ5MIDITimerClock::Start(TTick tick) {
    Timer.Stop();
    Timer.OnTimer = [tick = std::move(tick)](TZ5Timer&) { tick(1); };
    return Timer.Start();
}

void TZ5MIDITimerClock::Stop() {
    Timer.Stop();
}

bool TZ5MIDISteppedClock::Start(TTick tick) {
    Tick = std::move(tick);
    return true;
}

void TZ5MIDISteppedClock::Stop() {
    Tick = nullptr;
}

bool TZ5MIDISteppedClock::Step(std::int64_t count) {
    if (!Tick)
        return false;
    Steps_ += count;
    Tick(count);
    return true;
}

// --- Tracks ----------------------------------------------------------------------------

TZ5MIDITrack::TZ5MIDITrack(TZ5MIDI& owner, std::unique_ptr<TZ5MemoryStream> data)
    : Owner(owner), TrackData(std::move(data)) {
    TrackData->SetPosition(0);
}

void TZ5MIDITrack::Rewind() {
    TrackData->SetPosition(0);
    PendingTicks = 0;
    Finished_.store(false, std::memory_order_relaxed);
    RunningStatus = 0;
}

std::int32_t TZ5MIDITrack::Remaining() {
    return TrackData->GetSize() - TrackData->GetPosition();
}

void TZ5MIDITrack::Advance(std::int64_t ticks) {
    PendingTicks += ticks;
    for (;;) {
        if (Finished())
            return;
        if (TrackData->IsEOF()) {
            Finish();
            return;
        }
        const std::int32_t eventStart = TrackData->GetPosition();
        std::uint32_t delta = 0;
        if (!ReadVariableLength(delta)) {
            Finish();
            return;
        }
        if (delta > PendingTicks) {
            TrackData->SetPosition(eventStart); // not due yet
            return;
        }
        PendingTicks -= delta;

        std::uint8_t status = 0;
        bool complete = TrackData->ReadByte(status);
        if (complete) {
            if (status == MetaStatus)
                complete = MetaEvent();
            else if (status == SystemExclusiveStatus || status == SystemExclusiveContinuation)
                complete = SystemExclusive(status);
            else
                complete = ChannelMessage(status);
        }
        if (!complete)
            Finish(); // the data ends inside the event
    }
}

std::int64_t TZ5MIDITrack::TicksUntilDue() {
    const std::int32_t eventStart = TrackData->GetPosition();
    std::uint32_t delta = 0;
    const bool readable = !TrackData->IsEOF() && ReadVariableLength(delta);
    TrackData->SetPosition(eventStart);
    if (!readable)
        return 1; // the next Advance finishes the track
    return std::max<std::int64_t>(1, delta - PendingTicks);
}

// Seven bits a byte, most significant first, while the top bit is set. Longer
// quantities than the four bytes a file may hold wrap around instead of
// overflowing.
bool TZ5MIDITrack::ReadVariableLength(std::uint32_t& value) {
    value = 0;
    std::uint8_t byte = 0;
    do {
        if (!TrackData->ReadByte(byte))
            return false;
        value = (value << 7) | (byte & 0x7F);
    } while (byte & 0x80);
    return true;
}

bool TZ5MIDITrack::MetaEvent() {
    std::uint8_t type = 0;
    std::uint32_t length = 0;
    if (!TrackData->ReadByte(type) || !ReadVariableLength(length))
        return false;
    if (type == MetaEndOfTrack) {
        Finish();
        return true;
    }
    if (length > static_cast<std::uint32_t>(Remaining()))
        return false;
    if (type == MetaSetTempo && length >= SetTempoBytes) {
        std::uint8_t bytes[SetTempoBytes];
        TrackData->Read(bytes, SetTempoBytes);
        const auto tempo = static_cast<std::int32_t>(BigEndian(bytes, SetTempoBytes));
        // A tempo of 0 would stop time for good: the piece would never end.
        if (tempo > 0)
            Owner.SetTempo(tempo);
        length -= SetTempoBytes;
    }
    TrackData->Seek(static_cast<std::int32_t>(length), soFromCurrent);
    return true;
}

bool TZ5MIDITrack::SystemExclusive(std::uint8_t status) {
    std::uint32_t length = 0;
    if (!ReadVariableLength(length) || length > static_cast<std::uint32_t>(Remaining()))
        return false;
    // 0xF0 starts a message and goes on the wire; 0xF7 carries raw bytes on.
    const std::size_t prefix = status == SystemExclusiveStatus ? 1 : 0;
    std::vector<std::uint8_t> block(prefix + length);
    if (prefix)
        block[0] = SystemExclusiveStatus;
    TrackData->Read(block.data() + prefix, static_cast<std::int32_t>(length));
    if (!block.empty())
        Owner.SendLong(block);
    return true;
}

// A byte with the top bit set is a new status (kept as the running status)
// followed by the first data byte; otherwise it is the first data byte and
// the running status stands for the status.
bool TZ5MIDITrack::ChannelMessage(std::uint8_t firstByte) {
    std::uint8_t status = RunningStatus;
    std::uint8_t data1 = firstByte;
    if (firstByte & 0x80) {
        status = RunningStatus = firstByte;
        if (!TrackData->ReadByte(data1))
            return false;
    }
    std::uint8_t data2 = 0;
    if (!HasOneDataByte(status) && !TrackData->ReadByte(data2))
        return false;
    if (status & 0x80) // data before any status has nothing to be sent with
        Owner.SendShort(PackShortMessage(status, data1, data2));
    return true;
}

// --- Player -------------------------------------------------------------------------------

TZ5MIDI::TZ5MIDI()
    : TZ5MIDI(platform::OpenMidiOutput(SequencerClientName), std::make_unique<TZ5MIDITimerClock>()) {}

TZ5MIDI::TZ5MIDI(std::unique_ptr<platform::MidiOutput> output, std::unique_ptr<TZ5MIDIClock> clock)
    : Output(std::move(output)), Clock(std::move(clock)) {}

TZ5MIDI::~TZ5MIDI() {
    Stop();
}

bool TZ5MIDI::Load(TZ5Stream& stream) {
    Stop();
    // The last file's tracks go first: a refused file must not leave them to
    // be played in its place.
    TrackList.clear();
    if (!ReadHeader(stream))
        return false;
    // Until the file sets a tempo, one MIDI tick passes per timer tick at 100 percent.
    SetTempo(TickInterval * Division_ * 1000);
    for (std::int32_t i = 0; i < TrackCount_; ++i)
        if (!ReadTrack(stream))
            return false;
    return true;
}

bool TZ5MIDI::ReadHeader(TZ5Stream& stream) {
    std::uint8_t header[HeaderBytes];
    if (stream.Read(header, HeaderBytes) != HeaderBytes || std::memcmp(header, "MThd", 4) != 0)
        return false;
    SmfFormat_ = static_cast<std::int32_t>(BigEndian(header + 8, 2));
    TrackCount_ = static_cast<std::int32_t>(BigEndian(header + 10, 2));
    // A division in SMPTE frames (top bit set) is taken as ticks per quarter note too.
    Division_ = static_cast<std::int32_t>(BigEndian(header + 12, 2));
    return (SmfFormat_ == 0 || SmfFormat_ == 1) && TrackCount_ > 0 && Division_ > 0;
}

bool TZ5MIDI::ReadTrack(TZ5Stream& stream) {
    std::uint8_t chunk[ChunkHeaderBytes];
    if (stream.Read(chunk, ChunkHeaderBytes) != ChunkHeaderBytes || std::memcmp(chunk, "MTrk", 4) != 0)
        return false;
    const std::uint32_t length = BigEndian(chunk + 4, 4);
    // Checked before anything is allocated: a damaged length must not cost memory.
    if (length > static_cast<std::uint32_t>(stream.GetSize() - stream.GetPosition()))
        return false;
    const auto size = static_cast<std::int32_t>(length);
    auto data = std::make_unique<TZ5MemoryStream>(size);
    if (data->CopyFrom(stream, size) != size)
        return false;
    TrackList.push_back(std::make_unique<TZ5MIDITrack>(*this, std::move(data)));
    return true;
}

bool TZ5MIDI::Play() {
    Stop();
    if (TrackList.empty())
        return false; // nothing loaded, or a file whose first track was damaged
    TotalTicks_.store(0, std::memory_order_relaxed);
    TickRemainder = 0;
    for (const auto& track : TrackList)
        track->Rewind();
    if (!Clock->Start([this](std::int64_t count) { Tick(count); }))
        return false;
    Playing_ = true;
    return true;
}

bool TZ5MIDI::Stop() {
    if (!Playing_)
        return false;
    Clock->Stop(); // no Tick runs from here on
    SilenceAllChannels();
    Playing_ = false;
    return true;
}

void TZ5MIDI::SilenceAllChannels() {
    if (!Output)
        return;
    for (std::uint8_t channel = 0; channel < ChannelCount; ++channel)
        for (const std::uint8_t controller : SilencingControllers)
            SendShort(PackShortMessage(ControlChange | channel, controller, 0));
    Output->Reset();
}

void TZ5MIDI::Update() {
    // A piece stopped by its owner stays stopped, even a looping one.
    if (!Playing_ || !AllTracksFinished())
        return;
    if (Loop)
        Play();
    else
        Stop();
}

bool TZ5MIDI::AllTracksFinished() const {
    return std::all_of(TrackList.begin(), TrackList.end(),
                       [](const auto& track) { return track->Finished(); });
}

void TZ5MIDI::SetTempoPercent(std::int32_t percent) {
    TempoPercent_.store(std::clamp(percent, MinTempoPercent, MaxTempoPercent), std::memory_order_relaxed);
}

// Microseconds times ticks per quarter note: 64 bits hold the largest
// division at the highest speed, also for the ticks of 24 hours at once.
std::int64_t TZ5MIDI::ElapsedPerTick() const {
    return std::int64_t{TickInterval} * Division_ * 1000 * TempoPercent() / 100;
}

void TZ5MIDI::Tick(std::int64_t count) {
    const std::int32_t tempo = Tempo();
    if (tempo == 0)
        return;
    const std::int64_t elapsed = count * ElapsedPerTick() + TickRemainder;
    const std::int64_t ticks = elapsed / tempo;
    TickRemainder = elapsed % tempo;
    if (ticks < 1)
        return;
    for (const auto& track : TrackList)
        if (!track->Finished())
            track->Advance(ticks);
    TotalTicks_.fetch_add(ticks, std::memory_order_relaxed);
}

std::int64_t TZ5MIDI::QuietTicks() {
    const std::int64_t tempo = Tempo();
    const std::int64_t perTick = ElapsedPerTick();
    std::int64_t dueIn = 0; // MIDI ticks until the first track has something to do
    for (const auto& track : TrackList)
        if (!track->Finished()) {
            const std::int64_t ticks = track->TicksUntilDue();
            dueIn = dueIn == 0 ? ticks : std::min(dueIn, ticks);
        }
    if (tempo == 0 || perTick == 0 || dueIn == 0)
        return 0;
    // The first timer tick k with (k × perTick + TickRemainder) div tempo >= dueIn.
    const std::int64_t dueTick = (dueIn * tempo - TickRemainder + perTick - 1) / perTick;
    return dueTick - 1;
}

void TZ5MIDI::SendShort(std::uint32_t message) {
    if (Output)
        Output->SendShort(message);
}

void TZ5MIDI::SendLong(std::span<const std::uint8_t> block) {
    if (Output)
        Output->SendLong(block);
}
