#include "game/CollisionPassUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// How many rows ahead of a cell the column on its left must have finished:
// one more than the rows a particle's bounding square (2 |radius| pixels
// high) can stretch over. A cell's index truncates the coordinate first, and
// x - r, x + r are rounded, so one pixel more is allowed for. A lead that
// covers the whole column makes the pass run one column after another.
std::int32_t ColumnLead(std::int32_t radius) {
    const std::int64_t height = 2 * std::abs(static_cast<std::int64_t>(radius)) + 2;
    const std::int64_t rowsApart = height / CellSize + 1;
    return static_cast<std::int32_t>(std::min<std::int64_t>(rowsApart + 1, MapRows));
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

} // namespace

TCollisionPass::TCounts TCollisionPass::Run(const TMapCell (&cells)[MapColumns][MapRows],
                                            TWaterParticle* pool, std::int32_t radius,
                                            TWaterWorkers& workers) {
    const TJob job{
        cells, pool,
        TPairLimits{static_cast<double>(Diameter(radius)), static_cast<double>(DiameterSquared(radius))},
        ColumnLead(radius)};
    for (std::atomic<std::int32_t>& rows : RowsDone)
        rows.store(0, std::memory_order_relaxed);
    const std::int32_t count = workers.Count();
    auto work = [&](std::int32_t worker) { RunColumns(job, worker, count); };
    workers.Run(work);
    TCounts total;
    for (std::int32_t worker = 0; worker < count; ++worker) {
        total.Checks += WorkerCounts[worker].Checks;
        total.Hits += WorkerCounts[worker].Hits;
    }
    return total;
}

// Progress is published after every cell that touched particles and at the
// end of the column; a neighbour waiting for a later row then simply waits a
// little longer, never too little.
void TCollisionPass::RunColumns(const TJob& job, std::int32_t worker, std::int32_t workers) {
    TCounts counts;
    for (std::int32_t column = worker; column < MapColumns; column += workers) {
        for (std::int32_t row = 0; row < MapRows; ++row) {
            const TMapCell& cell = job.Cells[column][row];
            if (cell.Count < 2) // touches no particle
                continue;
            if (column > 0)
                WaitUntilAtLeast(RowsDone[column - 1], std::min(row + job.Lead, MapRows));
            const TCounts cellCounts = PairCell(cell, job.Pool, job.Limits);
            counts.Checks += cellCounts.Checks;
            counts.Hits += cellCounts.Hits;
            Publish(column, row + 1);
        }
        Publish(column, MapRows);
    }
    WorkerCounts[worker] = counts;
}

void TCollisionPass::Publish(std::int32_t column, std::int32_t rowsDone) {
    RowsDone[column].store(rowsDone, std::memory_order_release);
    RowsDone[column].notify_all();
}

// The cell's active particles are loaded into locals, paired there, and
// written back: a particle stands in a cell at most once, so the locals are
// distinct particles, and dropping inactive entries keeps the order of the
// remaining pairs. The results are the same bits as pairing the pool entries
// directly.
TCollisionPass::TCounts TCollisionPass::PairCell(const TMapCell& cell, TWaterParticle* pool,
                                                 const TPairLimits& limits) {
    TCellWater water;
    for (std::int32_t i = 0; i < cell.Count; ++i) {
        const TWaterParticle& p = pool[cell.Entries[i]];
        if (p.Active) {
            water.Index[water.Count] = cell.Entries[i];
            water.X[water.Count] = p.Position.x;
            water.Y[water.Count] = p.Position.y;
            ++water.Count;
        }
    }
    const std::int32_t hits = PairUp(water, limits);
    for (std::int32_t i = 0; i < water.Count; ++i) {
        pool[water.Index[i]].Position.x = water.X[i];
        pool[water.Index[i]].Position.y = water.Y[i];
    }
    return {water.Count * (water.Count - 1) / 2, hits};
}

// Every pair i < j of one cell, in order; answers the pairs that overlapped.
// The test runs on locals (the limits too, so that they stay in registers
// while the positions are written); only an overlapping pair goes on to the
// push.
std::int32_t TCollisionPass::PairUp(TCellWater& water, const TPairLimits& limits) {
    const double diameter = limits.Diameter;
    const double diameterSquared = limits.DiameterSquared;
    const std::int32_t count = water.Count;
    std::int32_t hits = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        double ax = water.X[i];
        double ay = water.Y[i];
        for (std::int32_t j = i + 1; j < count; ++j) {
            const double dx = ax - water.X[j];
            const double dy = ay - water.Y[j];
            const double d2 = dx * dx + dy * dy;
            if (d2 < diameterSquared) {
                ++hits;
                PushApart(ax, ay, water.X[j], water.Y[j], dx, dy, d2, diameter);
            }
        }
        water.X[i] = ax;
        water.Y[i] = ay;
    }
    return hits;
}

// Pushes an overlapping pair apart along the line between the centres (d =
// a - b) until the discs just touch; velocities are left alone. Only x and y
// are computed: z is 0 in every position, so its terms (0 - 0, 0 * 0,
// 0 / length) would add exact zeros and change no bit.
void TCollisionPass::PushApart(double& ax, double& ay, double& bx, double& by, double dx, double dy,
                               double d2, double diameter) {
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
