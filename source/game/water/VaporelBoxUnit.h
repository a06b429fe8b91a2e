#pragma once
// The water tower: a 1024 x 768 pixel field of 16 x 16 pixel map cells, a pool
// of disc-shaped water particles and the stage parameters that drive them.
// One box exists for the whole run. The frame step is fully determined: one
// random generator, fixed orders of phases, cells and pairs, so the same stage
// gives the same particles to the bit on every machine.

#include "game/core/GameProfilerUnit.h"
#include "game/water/StageDataUnit.h"
#include "game/water/WaterTypesUnit.h"
#include "platform/Exception.h" // raised by stage loading and cell access

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCollisionMap;

// Frames between the change to cleared or lost and Finished (6 s at 60 fps).
inline constexpr std::int32_t FinishDelayFrames = 360;

enum TBoxState : std::uint8_t { bsPlaying, bsCleared, bsGameOver };

// Particles one pour adds at a point (the game's Q key).
inline constexpr std::int32_t PourCount = 500;

// What a player can do to a running box, as one value: the lines of a replay
// and what the recorder hears.
enum TBoxActionKind : std::uint8_t {
    akCell,   // the cell (X, Y) set to Type, the rest of the cell kept
    akReset,  // the water reset, the map kept
    akReload, // the stage folder read again: the map as it was
    akPour,   // PourCount particles put into play at pixel (X, Y)
};

struct TBoxAction {
    TBoxActionKind Kind = akCell;
    std::int32_t X = 0; // column of a cell, pixel of a pour
    std::int32_t Y = 0; // row of a cell, pixel of a pour
    TCellType Type = ctEmpty;

    bool operator==(const TBoxAction&) const = default;
};

// Hears every action taken on the box. `frame` is the timed frame of the
// play that the action comes before: 1 until the play's first frame has run.
class TBoxListener {
public:
    virtual void ActionTaken(std::int32_t frame, const TBoxAction& action) = 0;

protected:
    ~TBoxListener() = default;
};

// The program's one random generator (32-bit linear congruential, seed 0 at
// start, never seeded from the clock), shared by the reset's shuffle and the
// simulation.
void SetRandSeed(std::uint32_t seed);
std::uint32_t RandSeed();
// An integer in 0..n-1: the upper 32 bits of n * Seed.
std::uint32_t RandomInt(std::uint32_t n);
// A real in [0, 1): Seed * 2^-32.
double RandomReal();

// The pictures of a stage, which the water never reads: its layers Back,
// Block and Front. The game's renderer puts them into its texture slots.
class TStagePictures {
public:
    // Loads the layers of the stage folder `dir` (ending in '/'); on failure
    // raises naming the file, the layers loaded before it staying loaded.
    // `firstStage`: no stage has loaded whole yet.
    virtual void LoadLayers(const std::string& dir, bool firstStage) = 0;

protected:
    ~TStagePictures() = default;
};

class TVaporelBox;

// Draws the scene of a box from above: the box hands its Draw over to it and
// so knows no renderer.
class TBoxDrawer {
public:
    virtual void DrawBox(const TVaporelBox& box) = 0;

protected:
    ~TBoxDrawer() = default;
};

using TCellMap = TMapCell[MapColumns][MapRows];

class TVaporelBox {
public:
    // Stores the references (not owned) and resets the (still empty) pool.
    // Without pictures a stage load reads the map and the data only; without
    // a drawer the box runs without a window and has nothing to draw with.
    explicit TVaporelBox(TGameProfiler& profiler, TStagePictures* pictures = nullptr,
                         TBoxDrawer* drawer = nullptr);
    ~TVaporelBox();
    TVaporelBox(const TVaporelBox&) = delete;
    TVaporelBox& operator=(const TVaporelBox&) = delete;

    // Reads the map picture, the three layer pictures (with pictures) and
    // data.xml of a stage folder (with or without the trailing '/'), in this
    // order. Touches neither the pool, the
    // collision map, the counters nor State. On failure the steps already done
    // stay done and StagePath keeps its old value.
    void LoadStage(const std::string& folder);
    // A stage made without a folder: its map and numbers as they are given,
    // checked as data.xml's are; no pictures, and StagePath empty. Raises and
    // changes nothing when the numbers cannot make a pool.
    void LoadStage(const TStageData& stage);
    // The stage's map as it was: its folder read again, or the map of a stage
    // given as values.
    void ReloadStage();
    // Pool of the stage's WaterParticleNum shuffled slots, counters and outcome zeroed.
    void ResetWater();
    // A new play: a clean pool (every slot as new, so that nothing of an
    // earlier play carries over), the water reset, the stage reloaded, the
    // play's frames counted from 0.
    void Restart();

    // Takes a player's action; the listener hears it (a cell through SetCell).
    void Apply(const TBoxAction& action);
    // The listener (not owned) that hears every action from now on; null for none.
    void SetListener(TBoxListener* listener) { Listener = listener; }
    // Timed frames run since the last Restart.
    std::int32_t PlayFrames() const { return PlayFrames_; }
    // The 64-bit FNV-1a hash of every pool slot in pool order: Position,
    // Velocity and PrevPosition (x, y) as little-endian doubles, then Active,
    // Exited and Kind as one byte each. Equal water, equal hash, to the bit.
    std::uint64_t WaterHash() const;

    // Whole-cell copies; outside 0..64 x 0..48 they raise and change nothing.
    // A SetCell that changes the cell's type is an action the listener hears:
    // it is the only way the map changes, besides a stage load.
    TMapCell GetCell(std::int32_t column, std::int32_t row) const;
    void SetCell(std::int32_t column, std::int32_t row, const TMapCell& cell);
    const TCellMap& Cells() const { return Cells_; }

    // One frame: Simulate, EmitWater, CheckGoal, AdvanceStateTimer. Allocates nothing.
    void Execute();
    // Puts the next free slot into play at (x, y); nothing when none is free.
    void AddParticle(std::int32_t x, std::int32_t y);
    std::int32_t ActiveParticleCount() const;
    // Whether the stage's pool holds red water: one without cannot be lost.
    bool PoolHoldsRedWater() const { return Parameters_.BlueWaterNum < Parameters_.WaterParticleNum; }
    void CheckGoal();
    void AdvanceStateTimer();

    // The scene of the stage, timed as pidBoxDraw, by the drawer. Only for a
    // box made with a drawer.
    void Draw();

    // The phases of Execute, public for the benchmark and the tests.
    void Simulate();
    void EmitWater();
    void MakeCollisionMap();

    // The data model, read by the game states, the renderer and the tools.
    // The box alone writes it, in its steps and its loads, so that the water
    // and the replay's record of it stay one.
    const std::vector<TWaterParticle>& Particles() const { return Particles_; }
    const TCellRegistry& Registry() const { return Registry_; }
    // The stage's own map: the types the stage gave at the last load. A cell
    // of another type now was changed by the player.
    const TStageCellTypes& StageCellTypes() const { return StageCellTypes_; }
    // The stage's numbers, from data.xml or as given.
    const TStageParameters& Parameters() const { return Parameters_; }
    // Six seconds after the stage was cleared or lost.
    bool Finished() const { return Finished_; }
    std::int32_t CollisionChecks() const { return CollisionChecks_; } // pairs tested in the last collision phase
    std::int32_t CollisionHits() const { return CollisionHits_; }     // of those, pairs that overlapped
    std::int32_t SpawnCursor() const { return SpawnCursor_; } // where the search for a free slot starts
    std::int32_t BlueOutCount() const { return BlueOutCount_; }
    std::int32_t EtcOutCount() const { return EtcOutCount_; }
    TBoxState State() const { return State_; }
    std::int32_t StateTimer() const { return StateTimer_; } // frames since the last reset or state change
    // Folder of the stage loaded last, ending in '/'; empty for a stage given as values.
    const std::string& StagePath() const { return StagePath_; }

private:
    void TakeCellTypes(const TStageCellTypes& types);
    void Pour(std::int32_t x, std::int32_t y);
    void ShufflePool();
    bool PutIntoPlay(std::int32_t x, std::int32_t y);
    std::int64_t FirstFreeSlot(std::int64_t from, std::int64_t to) const;
    void TakeSlot(std::int64_t slot, std::int32_t x, std::int32_t y);

    void Integrate(TWaterParticle& p) const;
    void CheckCollision();
    void CollidePairsInCells();
    void CollideClampAndUpdateVelocities();
    void CollideWithMap(TWaterParticle& p);
    void LeaveThroughOutlet(TWaterParticle& p);
    void ClampToField(TWaterParticle& p) const;
    bool TakeVelocity(TWaterParticle& p) const;
    void Shake(TWaterParticle& p) const;
    void LimitSpeed(TWaterParticle& p, double length) const;
    void SwapWater(TWaterParticle& p);

    // A test's or benchmark's way to put the box into a state no play
    // reaches quickly (tests/sim/BoxSetup.h).
    friend class TBoxSetup;

    TGameProfiler& Profiler;
    TStagePictures* Pictures;
    TBoxDrawer* Drawer;
    TCellMap Cells_;
    TBoxListener* Listener = nullptr;
    std::int32_t PlayFrames_ = 0;
    std::unique_ptr<TCollisionMap> CollisionMap;
    // The slots to shake in this frame, in pool order; as long as the pool.
    std::vector<std::int32_t> Resting;

    std::vector<TWaterParticle> Particles_;
    TCellRegistry Registry_;
    TStageCellTypes StageCellTypes_{};
    TStageParameters Parameters_;
    bool Finished_ = false;
    std::int32_t CollisionChecks_ = 0;
    std::int32_t CollisionHits_ = 0;
    std::int32_t SpawnCursor_ = 0;
    std::int32_t BlueOutCount_ = 0;
    std::int32_t EtcOutCount_ = 0;
    TBoxState State_ = bsPlaying;
    std::int32_t StateTimer_ = 0;
    std::string StagePath_;
};
