#pragma once
// One pass of the particle-against-particle collision over the collision map:
// for column 0..64 (outer) and row 0..48 (inner), every pair of entries i < j
// of the cell whose particles are both active is pushed apart when it
// overlaps. Positions change at once, so later pairs see where earlier ones
// moved the particles.
//
// Several workers may share a pass without changing a bit. Each worker takes
// the next column nobody has taken yet and works down it; before a cell it
// waits until the column to its left has finished every row that a particle
// of this cell can reach (unless that column was its own). Columns are taken
// in order, so the column a worker waits for is always in the hands of a
// worker that has begun; a helper that comes late, or not at all, only takes
// fewer columns. A particle's cells lie within a few neighbouring
// rows and columns, so every particle meets its pairs in exactly the order of
// the single-threaded pass, and two cells worked on at the same time never
// hold the same particle. The workers overlap where water stands several
// cell rows deep; a layer one or two rows thin is a chain of cells, each
// waiting for the one before it through the particles on their shared corner.
//
// A crowded cell is swept by diagonals instead of rows: each particle meets the
// same pairs in the same order, so the bits are the same, but the pairs of one
// diagonal are tested side by side and pushed without waiting for each other.

#include "game/water/VaporelBoxUnit.h"
#include "game/water/WaterWorkersUnit.h"

#include <atomic>
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

    TCounts Run(const TCellRegistry& map, TWaterParticle* pool, std::int32_t radius, TWaterWorkers& workers);

private:
    // What one pass needs, shared by its workers.
    struct TJob {
        const TCellRegistry* Map;
        TWaterParticle* Pool;
        TPairLimits Limits;
        std::int32_t Lead; // rows the column on the left must be ahead
    };

    void RunColumns(const TJob& job, std::int32_t worker, TWaterWorkers* team);
    void Publish(std::int32_t column, std::int32_t rowsDone);
    static TCounts PairCell(const std::int32_t* entries, std::int32_t count, TWaterParticle* pool,
                            const TPairLimits& limits);

    // The first column no worker has taken yet in the running pass.
    std::atomic<std::int32_t> NextColumn{0};
    // Rows finished in each column during the running pass.
    std::atomic<std::int32_t> RowsDone[MapColumns] = {};
    TCounts WorkerCounts[MaxWaterThreads];
};
