#pragma once
// One pass of the particle-against-particle collision over the collision map:
// for column 0..64 (outer) and row 0..48 (inner), every pair of entries i < j
// of the cell whose particles are both active is pushed apart when it
// overlaps. Positions change at once, so later pairs see where earlier ones
// moved the particles.
//
// A crowded cell is swept by diagonals instead of rows: each particle meets the
// same pairs in the same order, so the bits are the same, but the pairs of one
// diagonal are tested side by side and pushed without waiting for each other.

#include "game/water/WaterTypesUnit.h"

#include <cstdint>

class TCollisionPass {
public:
    struct TCounts {
        std::int32_t Checks = 0; // pairs of active particles tested
        std::int32_t Hits = 0;   // of those, pairs that overlapped
    };
    // 2 x radius and its square, as the pair test uses them.
    struct TPairLimits {
        double Diameter;
        double DiameterSquared;
    };

    static TCounts Run(const TCellRegistry& map, TWaterParticle* pool, std::int32_t radius);

private:
    static TCounts PairCell(const std::int32_t* entries, std::int32_t count, TWaterParticle* pool,
                            const TPairLimits& limits);
};
