#pragma once
// The bookkeeping of the streaming channel's ring: which span a refill
// writes, whether with the source's next bytes or with silence, and how much
// of the sound still lies ahead of the play cursor once the source has ended.
// A plain value with no threads and no buffer of its own: the channel's
// refill timer asks it for a span, writes the span into the locked ring and
// reports what it wrote.
//
// The ring plays round and round; everything between the play cursor and
// WritePos (going forwards, round the end) is queued sound, the span from
// WritePos to the play cursor has been played and is written next.

#include <cstdint>

enum TRingSpanKind : std::uint8_t {
    rsNothing,  // nothing was played since the last write
    rsFinished, // the source has ended and its last byte has been played
    rsSilence,  // the source has ended: the played span gets silence
    rsSource,   // the played span gets the source's next bytes
};

// Bytes Offset .. Offset + Bytes of the ring, going round its end.
struct TRingSpan {
    TRingSpanKind Kind = rsNothing;
    std::uint32_t Offset = 0;
    std::uint32_t Bytes = 0;

    bool operator==(const TRingSpan&) const = default;
};

class TStreamRing {
public:
    TStreamRing() = default;
    // A ring of `bufferBytes` (> 0) about to be filled whole from the
    // source's start.
    explicit TStreamRing(std::uint32_t bufferBytes) : BufferBytes_(bufferBytes) {}

    // The whole ring from offset 0: the fill before it plays.
    TRingSpan InitialSpan() const { return {rsSource, 0, BufferBytes_}; }
    // What a refill does with the play cursor at `playCursor`. Nothing
    // changes until Written reports the span as written, so a span that
    // cannot be written is planned again, longer, on the next call.
    TRingSpan Plan(std::uint32_t playCursor) const;
    // The planned span was written: its first `sourceBytes` with the source,
    // the rest with silence. Fewer source bytes than the span holds mean that
    // the source has ended.
    void Written(const TRingSpan& span, std::uint32_t sourceBytes);

    std::uint32_t BufferBytes() const { return BufferBytes_; }
    // Where the next span starts.
    std::uint32_t WritePos() const { return WritePos_; }
    // Bytes of the sound still queued ahead of the play cursor of the last
    // plan, once the source has ended.
    std::uint32_t TailBytes() const { return TailBytes_; }
    bool EndOfSource() const { return EndOfSource_; }

private:
    std::uint32_t BufferBytes_ = 0;
    std::uint32_t WritePos_ = 0;
    std::uint32_t TailBytes_ = 0;
    bool EndOfSource_ = false;
};
