#include "game/water/VaporelBoxUnit.h"

#include "game/water/CollisionMapUnit.h"
#include "game/water/CollisionPassUnit.h"
#include "game/water/ShakeTrigUnit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr std::uint32_t RandMultiplier = 134775813;
constexpr double TwoToMinus32 = 1.0 / 4294967296.0; // exact: a power of two
// A particle this slow (pixels per frame) is resting and gets shaken.
constexpr double RestingSpeed = 1.0;
// Samples taken along a particle's path in CollideWithMap.
constexpr int PathSamples = 4;

std::uint32_t Seed = 0;

void NextSeed() {
    Seed = Seed * RandMultiplier + 1;
}

bool IsSolid(TCellType type) {
    return type == ctBlock || type == ctWall;
}

} // namespace

void SetRandSeed(std::uint32_t seed) {
    Seed = seed;
}

std::uint32_t RandSeed() {
    return Seed;
}

std::uint32_t RandomInt(std::uint32_t n) {
    NextSeed();
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(n) * Seed) >> 32);
}

double RandomReal() {
    NextSeed();
    return Seed * TwoToMinus32;
}

TVaporelBox::TVaporelBox(TGameProfiler& profiler, TStagePictures* pictures, TBoxDrawer* drawer)
    : Profiler(profiler), Pictures(pictures), Drawer(drawer),
      CollisionMap(std::make_unique<TCollisionMap>()) {
    ResetWater();
}

TVaporelBox::~TVaporelBox() = default;

// ---- Stage loading ----------------------------------------------------------

void TVaporelBox::LoadStage(const std::string& folder) {
    Profiler.Start(pidLoadMap);
    const std::string dir = StageFolderPath(folder);
    TakeCellTypes(ReadStageMap(dir));
    if (Pictures)
        Pictures->LoadLayers(dir, StagePath_.empty());
    ReadStageParameters(dir, Parameters_); // the keys before a bad one are read all the same
    StagePath_ = dir;
    Profiler.Stop(pidLoadMap);
}

void TVaporelBox::LoadStage(const TStageData& stage) {
    CheckStageParameters(stage.Parameters, "the stage");
    TakeCellTypes(stage.CellTypes);
    Parameters_ = stage.Parameters;
    StagePath_.clear();
}

void TVaporelBox::ReloadStage() {
    if (StagePath_.empty())
        TakeCellTypes(StageCellTypes_); // a stage given as values: its map again
    else
        LoadStage(StagePath_);
}

void TVaporelBox::TakeCellTypes(const TStageCellTypes& types) {
    for (int x = 0; x < MapColumns; ++x)
        for (int y = 0; y < MapRows; ++y)
            Cells_[x][y].CellType = types[x][y];
    StageCellTypes_ = types;
}


// ---- Reset and cells ----------------------------------------------------------

void TVaporelBox::ResetWater() {
    Particles_.resize(Parameters_.WaterParticleNum); // remaining slots keep their contents
    Resting.resize(Particles_.size());
    for (std::size_t i = 0; i < Particles_.size(); ++i) {
        Particles_[i].Active = false;
        Particles_[i].Exited = false;
        Particles_[i].Kind = static_cast<std::int64_t>(i) < Parameters_.BlueWaterNum ? wkBlue : wkEtc;
    }
    ShufflePool();
    SpawnCursor_ = 0;
    BlueOutCount_ = 0;
    EtcOutCount_ = 0;
    StateTimer_ = 0;
    State_ = bsPlaying;
    CollisionMap->Clear(Registry_);
}

// Fisher-Yates over whole slots, from the last index down to 0 (0 draws too).
void TVaporelBox::ShufflePool() {
    for (std::int64_t i = static_cast<std::int64_t>(Particles_.size()) - 1; i >= 0; --i) {
        const std::uint32_t j = RandomInt(static_cast<std::uint32_t>(i + 1));
        std::swap(Particles_[i], Particles_[j]);
    }
}

void TVaporelBox::Restart() {
    Particles_.clear();
    ResetWater();
    ReloadStage();
    Finished_ = false;
    PlayFrames_ = 0;
}

void TVaporelBox::Apply(const TBoxAction& action) {
    switch (action.Kind) {
    case akCell: {
        TMapCell cell = GetCell(action.X, action.Y);
        cell.CellType = action.Type;
        SetCell(action.X, action.Y, cell);
        return; // SetCell told the listener
    }
    case akReset: ResetWater(); break;
    case akReload: ReloadStage(); break;
    case akPour: Pour(action.X, action.Y); break;
    }
    if (Listener)
        Listener->ActionTaken(PlayFrames_ + 1, action);
}

// Takes the slots PourCount calls of PutIntoPlay would: the k-th call the
// first free slot from the cursor it finds. Nothing frees a slot meanwhile,
// so each search goes on where the one before stopped and the pour walks the
// pool at most once; once none is free, the rest would find none either.
void TVaporelBox::Pour(std::int32_t x, std::int32_t y) {
    const std::int64_t n = static_cast<std::int64_t>(Particles_.size());
    const std::int64_t cursor = SpawnCursor_; // positions count on past n: slot = position mod n
    std::int64_t searched = cursor;          // every position before it is taken
    for (std::int64_t k = 0; k < PourCount; ++k) {
        const std::int64_t position = FirstFreeSlot(std::max(cursor + k, searched), cursor + k + n);
        if (position < 0)
            return;
        TakeSlot(position % n, x, y);
        searched = position + 1;
    }
}

TMapCell TVaporelBox::GetCell(std::int32_t column, std::int32_t row) const {
    if (column < 0 || column >= MapColumns || row < 0 || row >= MapRows)
        throw Exception("範囲外のマップを読み込みしようとしました");
    return Cells_[column][row];
}

void TVaporelBox::SetCell(std::int32_t column, std::int32_t row, const TMapCell& cell) {
    if (column < 0 || column >= MapColumns || row < 0 || row >= MapRows)
        throw Exception("範囲外のマップに書き込みしようとしました");
    const TCellType oldType = Cells_[column][row].CellType;
    Cells_[column][row] = cell;
    if (Listener && cell.CellType != oldType)
        Listener->ActionTaken(PlayFrames_ + 1, TBoxAction{akCell, column, row, cell.CellType});
}

namespace {

struct TFnv1a {
    std::uint64_t Hash = 0xcbf29ce484222325ULL;

    void Byte(std::uint8_t byte) {
        Hash ^= byte;
        Hash *= 0x100000001b3ULL;
    }
    void Double(double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        for (int i = 0; i < 8; ++i)
            Byte(static_cast<std::uint8_t>(bits >> (8 * i))); // little-endian
    }
};

} // namespace

std::uint64_t TVaporelBox::WaterHash() const {
    TFnv1a fnv;
    for (const TWaterParticle& p : Particles_) {
        fnv.Double(p.Position.x);
        fnv.Double(p.Position.y);
        fnv.Double(p.Velocity.x);
        fnv.Double(p.Velocity.y);
        fnv.Double(p.PrevPosition.x);
        fnv.Double(p.PrevPosition.y);
        fnv.Byte(p.Active ? 1 : 0);
        fnv.Byte(p.Exited ? 1 : 0);
        fnv.Byte(p.Kind);
    }
    return fnv.Hash;
}

// ---- The frame ----------------------------------------------------------------

void TVaporelBox::Execute() {
    Profiler.Start(pidBoxExecute);
    Simulate();
    EmitWater();
    CheckGoal();
    AdvanceStateTimer();
    ++PlayFrames_;
    Profiler.Stop(pidBoxExecute);
}

// Each phase finishes for all particles before the next begins.
void TVaporelBox::Simulate() {
    for (TWaterParticle& p : Particles_)
        if (p.Active)
            Integrate(p);
    CheckCollision();
    CollideClampAndUpdateVelocities();
    MakeCollisionMap();
    for (TWaterParticle& p : Particles_)
        if (p.Active)
            SwapWater(p);
    // Only the swapped particles moved since the rebuild.
    if (!CollisionMap->TryUpdateMoved(Registry_, Particles_, Parameters_.WaterRadius))
        MakeCollisionMap();
}

// CollideWithMap, ClampToField and UpdateVelocity each change only their own
// particle (and the outlet counters), and only the shake in UpdateVelocity
// draws random numbers: taking one particle through all three before the
// next, and shaking the resting ones afterwards in pool order, gives the
// three pool-order passes' results. Whether a particle rests follows no
// pattern; listing the resting ones costs no branch.
void TVaporelBox::CollideClampAndUpdateVelocities() {
    if (Resting.size() < Particles_.size())
        Resting.resize(Particles_.size()); // only after the pool has grown
    std::int32_t resting = 0;
    const std::int32_t n = static_cast<std::int32_t>(Particles_.size());
    for (std::int32_t i = 0; i < n; ++i) {
        TWaterParticle& p = Particles_[i];
        if (!p.Active)
            continue;
        CollideWithMap(p);
        if (p.Active) {
            ClampToField(p);
            Resting[resting] = i;
            resting += TakeVelocity(p) ? 1 : 0;
        }
    }
    for (std::int32_t k = 0; k < resting; ++k)
        Shake(Particles_[Resting[k]]);
}

// Gravity goes into the position, not the velocity: it reaches the velocity
// through UpdateVelocity.
void TVaporelBox::Integrate(TWaterParticle& p) const {
    VectorScale(p.Velocity, Parameters_.WaterVelocityDecayRate);
    VectorAdd(p.Position, p.Velocity);
    p.Position.y += Parameters_.WaterGravity;
}

// Pass 0 uses the collision map the previous frame left; pass 1 a fresh one.
void TVaporelBox::CheckCollision() {
    Profiler.Start(pidCheckCollision);
    CollisionChecks_ = 0;
    CollisionHits_ = 0;
    CollidePairsInCells();
    MakeCollisionMap();
    CollidePairsInCells();
    Profiler.Stop(pidCheckCollision);
}

void TVaporelBox::CollidePairsInCells() {
    const TCollisionPass::TCounts counts = TCollisionPass::Run(Registry_, Particles_.data(), Parameters_.WaterRadius);
    CollisionChecks_ += counts.Checks;
    CollisionHits_ += counts.Hits;
}

// Tests the straight path from PrevPosition to Position at four points; only
// the first hit counts. PrevPosition stays, so a stopped particle's velocity
// becomes the distance it really moved.
void TVaporelBox::CollideWithMap(TWaterParticle& p) {
    TVector3D last = p.PrevPosition;
    for (int k = 0; k < PathSamples; ++k) {
        const double t = k / 3.0;
        // Grouped as written: (Position * t) + ((1 - t) * PrevPosition).
        const double sx = p.Position.x * t + (1.0 - t) * p.PrevPosition.x;
        const double sy = p.Position.y * t + (1.0 - t) * p.PrevPosition.y;
        const int column = CellIndex(sx, MapColumns);
        const int row = CellIndex(sy, MapRows);
        if (column < 0 || row < 0) {
            p.Active = false;
            return;
        }
        switch (Cells_[column][row].CellType) {
        case ctBlock:
        case ctWall: p.Position = last; return;
        case ctOutlet: LeaveThroughOutlet(p); return;
        case ctDrain:
            p.Active = false; // the slot is free again
            return;
        case ctEmpty:
        case ctSource:
            last.x = sx;
            last.y = sy;
            last.z = p.Position.z * t + (1.0 - t) * p.PrevPosition.z;
            break;
        }
    }
}

void TVaporelBox::LeaveThroughOutlet(TWaterParticle& p) {
    p.Active = false;
    p.Exited = true;
    if (p.Kind == wkBlue)
        ++BlueOutCount_;
    else
        ++EtcOutCount_;
}

void TVaporelBox::ClampToField(TWaterParticle& p) const {
    const std::int32_t r = Parameters_.WaterRadius;
    if (p.Position.x - r < 0)
        p.Position.x = r;
    if (p.Position.x + r > FieldWidth)
        p.Position.x = FieldWidth - r;
    if (p.Position.y - r < 0)
        p.Position.y = r;
    if (p.Position.y + r > FieldHeight)
        p.Position.y = FieldHeight - r;
}

// UpdateVelocity in two parts. TakeVelocity: the distance moved becomes the
// velocity, which is limited unless the particle rests; answers whether it
// rests, and then Shake finishes it. The shake reads no previous position.
bool TVaporelBox::TakeVelocity(TWaterParticle& p) const {
    VectorDiff(p.Position, p.PrevPosition, p.Velocity);
    p.PrevPosition = p.Position;
    const double length = VectorLength(p.Velocity);
    if (length <= RestingSpeed)
        return true;
    LimitSpeed(p, length);
    return false;
}

void TVaporelBox::Shake(TWaterParticle& p) const {
    const double speed = RandomReal() * Parameters_.WaterShakeVelocity; // drawn before the angle
    const double angle = RandomReal() * ShakeTurn;
    p.Velocity = TVector3D{ShakeCos(angle) * speed, ShakeSin(angle) * speed, 0.0};
    LimitSpeed(p, VectorLength(p.Velocity));
}

void TVaporelBox::LimitSpeed(TWaterParticle& p, double length) const {
    if (length >= Parameters_.WaterMaxVelocity && length != 0.0) {
        VectorNormalize(p.Velocity);
        VectorScale(p.Velocity, Parameters_.WaterMaxVelocity);
    }
}

void TVaporelBox::MakeCollisionMap() {
    Profiler.Start(pidMakeCollisionMap);
    CollisionMap->Rebuild(Registry_, Particles_, Parameters_.WaterRadius);
    Profiler.Stop(pidMakeCollisionMap);
}

// An etc particle changes places with the first blue particle registered in
// the cell above it. The random number is drawn for every active particle
// before any test.
void TVaporelBox::SwapWater(TWaterParticle& p) {
    const double u = RandomReal();
    if (u > Parameters_.WaterSwapFrequency)
        return;
    const int column = CellIndex(p.Position.x, MapColumns);
    const int row = CellIndex(p.Position.y, MapRows);
    if (column < 0 || row < 1) // row 0 has no cell above
        return;
    if (p.Kind == wkBlue)
        return;
    if (IsSolid(Cells_[column][row - 1].CellType))
        return;
    const std::int32_t count = Registry_.Count[column][row - 1];
    const std::int32_t* const entries = Registry_.Entries[column][row - 1];
    for (std::int32_t i = 0; i < count; ++i) {
        TWaterParticle& other = Particles_[entries[i]];
        if (other.Kind == wkBlue) {
            CollisionMap->NoteMove(static_cast<std::int32_t>(&p - Particles_.data()), p.Position);
            CollisionMap->NoteMove(entries[i], other.Position);
            std::swap(p.Position, other.Position); // velocities stay with their particles
            return;
        }
    }
}

// A source emits only while no particle is registered in its cell by the map
// built at the end of Simulate. Once the pool has no free slot, the remaining
// sources are not asked: nothing frees a slot meanwhile, so every further
// AddParticle would search the whole pool and do nothing.
void TVaporelBox::EmitWater() {
    for (int column = 0; column < MapColumns; ++column)
        for (int row = 0; row < MapRows; ++row) {
            if (Cells_[column][row].CellType == ctSource && Registry_.Count[column][row] == 0 &&
                !PutIntoPlay(column * CellSize + CellSize / 2, row * CellSize + CellSize / 2))
                return;
        }
}

void TVaporelBox::AddParticle(std::int32_t x, std::int32_t y) {
    PutIntoPlay(x, y);
}

// The first free slot from SpawnCursor_ on, wrapping round; false when none is free.
bool TVaporelBox::PutIntoPlay(std::int32_t x, std::int32_t y) {
    const std::int64_t n = static_cast<std::int64_t>(Particles_.size());
    const std::int64_t position = FirstFreeSlot(SpawnCursor_, SpawnCursor_ + n);
    if (position < 0)
        return false;
    TakeSlot(position % n, x, y);
    return true;
}

// The first position in [from, to) whose slot (position mod pool size) is
// free, or -1.
std::int64_t TVaporelBox::FirstFreeSlot(std::int64_t from, std::int64_t to) const {
    const std::int64_t n = static_cast<std::int64_t>(Particles_.size());
    for (std::int64_t position = from; position < to; ++position) {
        const TWaterParticle& p = Particles_[position % n];
        if (!p.Active && !p.Exited)
            return position;
    }
    return -1;
}

void TVaporelBox::TakeSlot(std::int64_t slot, std::int32_t x, std::int32_t y) {
    TWaterParticle& p = Particles_[slot];
    p.Active = true;
    p.Position = TVector3D{static_cast<double>(x), static_cast<double>(y), 0.0};
    p.PrevPosition = p.Position;
    VectorZero(p.Velocity);
    // By one whichever slot was taken; kept below n, which selects the
    // same slots as an ever-growing count and never overflows.
    SpawnCursor_ = static_cast<std::int32_t>((SpawnCursor_ + std::int64_t{1}) % std::int64_t(Particles_.size()));
}

std::int32_t TVaporelBox::ActiveParticleCount() const {
    std::int32_t count = 0;
    for (const TWaterParticle& p : Particles_)
        count += p.Active ? 1 : 0;
    return count;
}

// ---- Stage rules ----------------------------------------------------------------

// Losing wins over clearing, also after the stage was cleared.
void TVaporelBox::CheckGoal() {
    if (EtcOutCount_ >= Parameters_.EtcWaterNumForEnd) {
        if (State_ != bsGameOver) {
            State_ = bsGameOver;
            StateTimer_ = 0;
        }
    } else if (BlueOutCount_ >= Parameters_.BlueWaterNumForClear) {
        if (State_ == bsPlaying) {
            State_ = bsCleared;
            StateTimer_ = 0;
        }
    }
}

void TVaporelBox::AdvanceStateTimer() {
    ++StateTimer_;
    if ((State_ == bsCleared || State_ == bsGameOver) && StateTimer_ > FinishDelayFrames)
        Finished_ = true;
}

void TVaporelBox::Draw() {
    if (!Drawer)
        throw Exception("the water box has no renderer to draw with");
    Profiler.Start(pidBoxDraw);
    Drawer->DrawBox(*this);
    Profiler.Stop(pidBoxDraw);
}
