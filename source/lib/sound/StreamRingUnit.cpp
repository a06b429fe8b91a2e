#include "lib/sound/StreamRingUnit.h"

#include <algorithm>

TRingSpan TStreamRing::Plan(std::uint32_t playCursor) const {
    if (playCursor == WritePos_)
        return {rsNothing, WritePos_, 0};
    if (EndOfSource_ && TailBytes_ == 0)
        return {rsFinished, WritePos_, 0};
    const std::uint32_t played = (playCursor + BufferBytes_ - WritePos_) % BufferBytes_;
    return {EndOfSource_ ? rsSilence : rsSource, WritePos_, played};
}

void TStreamRing::Written(const TRingSpan& span, std::uint32_t sourceBytes) {
    if (span.Kind == rsSilence) {
        TailBytes_ -= std::min(TailBytes_, span.Bytes);
    } else if (span.Kind == rsSource && sourceBytes < span.Bytes) {
        // Still queued: all the ring held beyond the span, and what of the
        // span the source filled before it ended.
        EndOfSource_ = true;
        TailBytes_ = BufferBytes_ - span.Bytes + sourceBytes;
    }
    WritePos_ = (span.Offset + span.Bytes) % BufferBytes_;
}
