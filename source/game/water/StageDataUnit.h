#pragma once
// What a stage gives the water: the type of each cell, as its map picture
// shows it, and the ten numbers of its data.xml. Read here from a stage
// folder; a stage made without one gives the box the same values
// (TVaporelBox::LoadStage of a TStageData), checked the same way.

#include "game/water/WaterTypesUnit.h"

#include <array>
#include <cstdint>
#include <string>

// Largest pool a stage may ask for; the collision map cannot hold more than
// MapColumns * MapRows * MaxCellEntries references anyway.
inline constexpr std::int32_t MaxWaterParticleNum = 1'000'000;

// The stage's numbers, as data.xml names them.
struct TStageParameters {
    std::int32_t BlueWaterNum = 0;         // the pool's first slots are blue, the rest red
    std::int32_t BlueWaterNumForClear = 0; // blue drops out that clear the stage
    std::int32_t EtcWaterNumForEnd = 0;    // red drops out that lose it
    std::int32_t WaterParticleNum = 0;     // slots of the pool
    std::int32_t WaterRadius = 0;          // pixels
    double WaterMaxVelocity = 0.0;         // pixels per frame
    double WaterGravity = 0.0;             // pixels added to y per frame
    double WaterVelocityDecayRate = 0.0;   // factor per frame
    double WaterShakeVelocity = 0.0;       // pixels per frame
    double WaterSwapFrequency = 0.0;       // chance per frame, 0 to 1
};

// [column][row]: the cell types of a stage's map.
using TStageCellTypes = std::array<std::array<TCellType, MapRows>, MapColumns>;

// A whole stage as the water takes it.
struct TStageData {
    TStageCellTypes CellTypes{};
    TStageParameters Parameters;
};

// `folder` ending in exactly one '/'.
std::string StageFolderPath(const std::string& folder);

// The cell a map picture's pixel colour stands for; the first matching rule
// wins: white empty, black source, pure blue outlet, pure red drain, any grey
// a hidden wall, any other colour a block.
TCellType ClassifyMapColour(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// The cells of the map picture Map.png of the stage folder `dir` (ending in
// '/'): the top-left pixel of each cell, white outside the picture. Raises
// naming the file.
TStageCellTypes ReadStageMap(const std::string& dir);

// Reads the numbers of data.xml in the stage folder `dir` (ending in '/')
// into `parameters`, key by key, checked; a key missing from the file reads
// as 0. Raises naming the file and the key; the keys before it are read.
void ReadStageParameters(const std::string& dir, TStageParameters& parameters);

// Raises, naming `where`, when the numbers cannot make a pool.
void CheckStageParameters(const TStageParameters& parameters, const std::string& where);
