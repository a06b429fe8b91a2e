#include "game/water/CollisionPassUnit.h"

#include <algorithm>
#include <bit>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The rows of a column whose cells hold two particles or more: the others
// touch no particle. Built without a branch per cell, since whether a cell
// holds water follows no pattern the processor could predict.
std::uint64_t PairedRows(const std::int32_t (&counts)[MapRows]) {
    static_assert(MapRows <= 64);
    std::uint64_t rows = 0;
    for (std::int32_t row = 0; row < MapRows; ++row)
        rows |= std::uint64_t{counts[row] >= 2} << row;
    return rows;
}

// 2 x radius and its square are 32-bit integers; they wrap like such for
// absurd radii instead of overflowing.
std::int32_t Diameter(std::int32_t radius) {
    return static_cast<std::int32_t>(2u * static_cast<std::uint32_t>(radius));
}

std::int32_t DiameterSquared(std::int32_t radius) {
    const auto diameter = static_cast<std::uint32_t>(Diameter(radius));
    return static_cast<std::int32_t>(diameter * diameter);
}

// The active particles of one cell, loaded for pairing and written back
// after. A position is x then y, so that one vector load takes both.
struct TCellWater {
    std::int32_t Count = 0;
    std::int32_t Index[MaxCellEntries];
    alignas(16) double Position[MaxCellEntries][2];
};

// Pushes an overlapping pair apart along the line between the centres (d =
// a - b) until the discs just touch; velocities are left alone. Only x and y
// are computed: z is 0 in every position, so its terms (0 - 0, 0 * 0,
// 0 / length) would add exact zeros and change no bit.
void PushApart(double& ax, double& ay, double& bx, double& by, double dx, double dy, double d2,
               double diameter) {
    double nx = 1.0;
    double ny = 0.0;
    const double distance = std::sqrt(d2);
    if (d2 != 0.0) {
        // d normalised: the length sqrt(dx*dx + dy*dy + 0*0) is exactly `distance`.
        nx = dx / distance;
        ny = dy / distance;
    }
    const double push = (diameter - distance) * 0.5;
    // n x push is formed first, then added (a) or subtracted (b).
    const double pushX = nx * push;
    const double pushY = ny * push;
    ax += pushX;
    ay += pushY;
    bx -= pushX;
    by -= pushY;
}

// Every pair i < j of one cell, row by row; answers the pairs that
// overlapped. The test runs on locals (the limits too, so that they stay in
// registers while the positions are written); only an overlapping pair goes
// on to the push.
std::int32_t PairUpByRows(TCellWater& water, const TCollisionPass::TPairLimits& limits) {
    const double diameter = limits.Diameter;
    const double diameterSquared = limits.DiameterSquared;
    const std::int32_t count = water.Count;
    std::int32_t hits = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        double ax = water.Position[i][0];
        double ay = water.Position[i][1];
        for (std::int32_t j = i + 1; j < count; ++j) {
            double(&b)[2] = water.Position[j];
            const double dx = ax - b[0];
            const double dy = ay - b[1];
            const double d2 = dx * dx + dy * dy;
            if (d2 < diameterSquared) {
                ++hits;
                PushApart(ax, ay, b[0], b[1], dx, dy, d2, diameter);
            }
        }
        water.Position[i][0] = ax;
        water.Position[i][1] = ay;
    }
    return hits;
}

#if defined(__SSE2__)

// Cells with this many active particles or more are swept by diagonals; in
// smaller ones the diagonals are too short to pay for their bookkeeping.
constexpr std::int32_t DiagonalSweepCount = 24;

// The pairs (i, j) with i + j == Sum form one diagonal; its lanes are the i
// from First to Last. No two of its pairs share a particle. The pairs a
// particle meets before (i, j) in row order are (i, j - 1) and (i - 1, j) and
// theirs, all on earlier diagonals, so sweeping the diagonals in order gives
// every particle its pairs in row order and the same bits.
struct TDiagonal {
    std::int32_t Sum;
    std::int32_t First;
    std::int32_t Last;
};
// Lanes of one diagonal (at most MaxCellEntries / 2) are bits of one mask.
static_assert(MaxCellEntries / 2 <= 64);

__m128d Offset(const TCellWater& water, std::int32_t i, std::int32_t j) {
    return _mm_sub_pd(_mm_load_pd(water.Position[i]), _mm_load_pd(water.Position[j]));
}

// Bit 0 and 1: whether the pairs of the offsets d0 and d1 overlap, with
// dx * dx + dy * dy summed as the row sweep sums it.
std::uint64_t Overlaps(__m128d d0, __m128d d1, __m128d diameterSquared) {
    const __m128d s0 = _mm_mul_pd(d0, d0);
    const __m128d s1 = _mm_mul_pd(d1, d1);
    const __m128d d2 = _mm_add_pd(_mm_unpacklo_pd(s0, s1), _mm_unpackhi_pd(s0, s1));
    return static_cast<std::uint64_t>(_mm_movemask_pd(_mm_cmplt_pd(d2, diameterSquared)));
}

// Bit k: whether the pair of lane First + k overlaps, tested two lanes at a time.
std::uint64_t OverlapsOnDiagonal(const TCellWater& water, const TDiagonal& diagonal, double diameterSquared) {
    const __m128d limit = _mm_set1_pd(diameterSquared);
    std::uint64_t overlaps = 0;
    std::int32_t i = diagonal.First;
    for (; i < diagonal.Last; i += 2) {
        const std::uint64_t pair =
            Overlaps(Offset(water, i, diagonal.Sum - i), Offset(water, i + 1, diagonal.Sum - i - 1), limit);
        overlaps |= pair << (i - diagonal.First);
    }
    if (i == diagonal.Last) { // an odd lane out
        const __m128d d = Offset(water, i, diagonal.Sum - i);
        overlaps |= (Overlaps(d, d, limit) & 1) << (i - diagonal.First);
    }
    return overlaps;
}

// PushApart on a position pair held as one vector each: the same operations
// lane by lane, so the same bits.
void PushApartPacked(double (&a)[2], double (&b)[2], double diameter) {
    const __m128d pa = _mm_load_pd(a);
    const __m128d pb = _mm_load_pd(b);
    const __m128d d = _mm_sub_pd(pa, pb);
    const __m128d squares = _mm_mul_pd(d, d);
    const double d2 = _mm_cvtsd_f64(_mm_add_sd(squares, _mm_unpackhi_pd(squares, squares)));
    const double distance = std::sqrt(d2);
    __m128d normal = _mm_set_pd(0.0, 1.0); // (1, 0)
    if (d2 != 0.0)
        normal = _mm_div_pd(d, _mm_set1_pd(distance));
    const __m128d push = _mm_mul_pd(normal, _mm_set1_pd((diameter - distance) * 0.5));
    _mm_store_pd(a, _mm_add_pd(pa, push));
    _mm_store_pd(b, _mm_sub_pd(pb, push));
}

// The diagonals in order: first every pair of one is tested, then its
// overlapping pairs are pushed; those pushes touch distinct particles, so
// they overlap in time instead of waiting for each other.
std::int32_t PairUpByDiagonals(TCellWater& water, const TCollisionPass::TPairLimits& limits) {
    const std::int32_t count = water.Count;
    std::int32_t hits = 0;
    for (std::int32_t sum = 1; sum <= 2 * count - 3; ++sum) {
        const TDiagonal diagonal{sum, std::max(0, sum - (count - 1)), (sum - 1) / 2};
        for (std::uint64_t overlaps = OverlapsOnDiagonal(water, diagonal, limits.DiameterSquared);
             overlaps != 0; overlaps &= overlaps - 1) {
            const std::int32_t i = diagonal.First + std::countr_zero(overlaps);
            PushApartPacked(water.Position[i], water.Position[sum - i], limits.Diameter);
            ++hits;
        }
    }
    return hits;
}

#endif

std::int32_t PairUp(TCellWater& water, const TCollisionPass::TPairLimits& limits) {
#if defined(__SSE2__)
    if (water.Count >= DiagonalSweepCount)
        return PairUpByDiagonals(water, limits);
#endif
    return PairUpByRows(water, limits);
}

} // namespace

// Column by column, row by row: the order every particle meets its pairs in.
TCollisionPass::TCounts TCollisionPass::Run(const TCellRegistry& map, TWaterParticle* pool,
                                            std::int32_t radius) {
    const TPairLimits limits{static_cast<double>(Diameter(radius)),
                             static_cast<double>(DiameterSquared(radius))};
    TCounts counts;
    for (std::int32_t column = 0; column < MapColumns; ++column)
        for (std::uint64_t rows = PairedRows(map.Count[column]); rows != 0; rows &= rows - 1) {
            const std::int32_t row = std::countr_zero(rows);
            const TCounts cellCounts =
                PairCell(map.Entries[column][row], map.Count[column][row], pool, limits);
            counts.Checks += cellCounts.Checks;
            counts.Hits += cellCounts.Hits;
        }
    return counts;
}

// The cell's active particles are loaded into locals, paired there, and
// written back: a particle stands in a cell at most once, so the locals are
// distinct particles, and dropping inactive entries keeps the order of the
// remaining pairs. The results are the same bits as pairing the pool entries
// directly.
TCollisionPass::TCounts TCollisionPass::PairCell(const std::int32_t* entries, std::int32_t count,
                                                 TWaterParticle* pool, const TPairLimits& limits) {
    TCellWater water;
    for (std::int32_t i = 0; i < count; ++i) {
        const TWaterParticle& p = pool[entries[i]];
        if (p.Active) {
            water.Index[water.Count] = entries[i];
            water.Position[water.Count][0] = p.Position.x;
            water.Position[water.Count][1] = p.Position.y;
            ++water.Count;
        }
    }
    const std::int32_t hits = PairUp(water, limits);
    for (std::int32_t i = 0; i < water.Count; ++i) {
        pool[water.Index[i]].Position.x = water.Position[i][0];
        pool[water.Index[i]].Position.y = water.Position[i][1];
    }
    return {water.Count * (water.Count - 1) / 2, hits};
}
