// The streaming ring's bookkeeping without a buffer or a thread: the spans it
// plans, and a plain model of a play cursor going round that says when the
// last byte of the sound has played.

#include "lib/sound/StreamRingUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

void PrintTo(const TRingSpan& span, std::ostream* out) {
    *out << "{kind " << int{span.Kind} << ", offset " << span.Offset << ", bytes " << span.Bytes << "}";
}

namespace {

// A ring filled whole from a source of `sourceBytes`.
TStreamRing FilledRing(std::uint32_t ringBytes, std::uint32_t sourceBytes) {
    TStreamRing ring(ringBytes);
    const TRingSpan span = ring.InitialSpan();
    ring.Written(span, std::min(sourceBytes, span.Bytes));
    return ring;
}

} // namespace

TEST(StreamRing, PlansThePlayedSpanRoundTheEndAndAgainWhenItWasNotWritten) {
    TStreamRing ring = FilledRing(1000, 5000);
    EXPECT_EQ(ring.WritePos(), 0u);
    EXPECT_FALSE(ring.EndOfSource());
    EXPECT_EQ(ring.Plan(0), (TRingSpan{rsNothing, 0, 0}));
    EXPECT_EQ(ring.Plan(300), (TRingSpan{rsSource, 0, 300}));
    const TRingSpan longer = ring.Plan(500); // the span of 300 could not be locked
    EXPECT_EQ(longer, (TRingSpan{rsSource, 0, 500}));
    ring.Written(longer, 500);
    EXPECT_EQ(ring.WritePos(), 500u);
    const TRingSpan wrapping = ring.Plan(200);
    EXPECT_EQ(wrapping, (TRingSpan{rsSource, 500, 700}));
    ring.Written(wrapping, 700);
    EXPECT_EQ(ring.WritePos(), 200u);
}

TEST(StreamRing, TheTailHoldsWhatIsQueuedAndWhatTheLastSpanGotThenTheSoundFinishes) {
    TStreamRing shortSound = FilledRing(1000, 400);
    EXPECT_TRUE(shortSound.EndOfSource());
    EXPECT_EQ(shortSound.TailBytes(), 400u);
    const TRingSpan first = shortSound.Plan(300);
    EXPECT_EQ(first, (TRingSpan{rsSilence, 0, 300}));
    shortSound.Written(first, 0);
    EXPECT_EQ(shortSound.TailBytes(), 100u);
    const TRingSpan second = shortSound.Plan(450);
    shortSound.Written(second, 0);
    EXPECT_EQ(shortSound.TailBytes(), 0u) << "floored, not wrapped";
    EXPECT_EQ(shortSound.Plan(450).Kind, rsNothing) << "the cursor has not moved";
    EXPECT_EQ(shortSound.Plan(460).Kind, rsFinished);

    // The source ends inside a refill: 400 bytes are queued beyond the span,
    // and the span got 250 more before the end.
    TStreamRing ring = FilledRing(1000, 5000);
    const TRingSpan span = ring.Plan(600);
    ring.Written(span, 250);
    EXPECT_TRUE(ring.EndOfSource());
    EXPECT_EQ(ring.TailBytes(), 650u);
}

// A play cursor that moves by uneven steps, as ticks come late or early;
// `played` counts every byte played since the start. The sound finishes on
// the first tick after the one at which the cursor passed its last byte:
// never earlier (its end would be cut off), never later.
TEST(StreamRing, FinishesOnTheTickAfterTheCursorPassedTheLastByteWhateverTheTicks) {
    constexpr std::uint32_t RingBytes = 4096;
    std::uint32_t seed = 12345;
    const auto nextStep = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return 1 + (seed >> 8) % (RingBytes / 3);
    };
    for (const std::uint64_t sourceBytes : {0ull, 1ull, 4095ull, 4096ull, 4097ull, 9000ull, 3 * 4096ull + 17}) {
        for (int run = 0; run < 20; ++run) {
            TStreamRing ring(RingBytes);
            std::uint64_t given = std::min<std::uint64_t>(sourceBytes, RingBytes);
            ring.Written(ring.InitialSpan(), static_cast<std::uint32_t>(given));
            bool ended = given < RingBytes; // the source gave less than was asked
            std::uint64_t played = 0;
            bool passedTheEnd = sourceBytes == 0; // nothing to play: finished on the first tick
            for (int tick = 0;; ++tick) {
                ASSERT_LT(tick, 1000) << "never finished";
                const std::uint64_t before = played;
                played += nextStep();
                const TRingSpan span = ring.Plan(static_cast<std::uint32_t>(played % RingBytes));
                if (span.Kind == rsFinished) {
                    EXPECT_TRUE(passedTheEnd) << "finished before the last byte played: source " << sourceBytes
                                              << ", played " << played;
                    break;
                }
                EXPECT_FALSE(passedTheEnd) << "a tick late: source " << sourceBytes << ", played " << played;
                ASSERT_NE(span.Kind, rsNothing);
                EXPECT_EQ(span.Offset, before % RingBytes);
                EXPECT_EQ(span.Bytes, played - before);
                EXPECT_EQ(span.Kind == rsSilence, ended) << "silence exactly once the source has ended";
                const std::uint64_t fromSource =
                    span.Kind == rsSource ? std::min<std::uint64_t>(span.Bytes, sourceBytes - given) : 0;
                given += fromSource;
                ended = ended || fromSource < span.Bytes;
                ring.Written(span, static_cast<std::uint32_t>(fromSource));
                passedTheEnd = played >= sourceBytes;
            }
        }
    }
}
