#include "game/water/StageDataUnit.h"

#include "lib/Z5EasyXMLUnit.h"
#include "platform/Exception.h"
#include "platform/PictureDecoder.h"

namespace {

const char* const MapFileName = "Map.png";
const char* const DataFileName = "data.xml";

std::int32_t ReadInteger(const TZ5EasyXMLReader& reader, const char* key, const std::string& fileName) {
    try {
        return reader.GetValue(key).ToInteger();
    } catch (const EConvertError& error) {
        throw EConvertError(fileName + ": " + key + ": " + error.what());
    }
}

double ReadReal(const TZ5EasyXMLReader& reader, const char* key, const std::string& fileName) {
    try {
        return reader.GetValue(key).ToReal();
    } catch (const EConvertError& error) {
        throw EConvertError(fileName + ": " + key + ": " + error.what());
    }
}

void CheckParticleNum(std::int32_t particleNum, const std::string& where) {
    if (particleNum < 0 || particleNum > MaxWaterParticleNum)
        throw Exception(where + ": water_particle_num must lie between 0 and " +
                        std::to_string(MaxWaterParticleNum));
}

} // namespace

std::string StageFolderPath(const std::string& folder) {
    std::string dir = folder;
    if (!dir.empty() && dir.back() == '/')
        dir.pop_back();
    return dir + '/';
}

TCellType ClassifyMapColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (r == 255 && g == 255 && b == 255)
        return ctEmpty;
    if (r == 0 && g == 0 && b == 0)
        return ctSource;
    if (r == 0 && g == 0 && b == 255)
        return ctOutlet;
    if (r == 255 && g == 0 && b == 0)
        return ctDrain;
    if (r == g && g == b)
        return ctWall;
    return ctBlock;
}

TStageCellTypes ReadStageMap(const std::string& dir) {
    const platform::Picture picture = platform::LoadPng(dir + MapFileName);
    TStageCellTypes types{};
    for (int x = 0; x < MapColumns; ++x)
        for (int y = 0; y < MapRows; ++y) {
            const int px = x * CellSize;
            const int py = y * CellSize;
            if (px < picture.Width && py < picture.Height) {
                const std::uint8_t* rgb =
                    &picture.Rgb[(static_cast<std::size_t>(py) * picture.Width + px) * 3];
                types[x][y] = ClassifyMapColour(rgb[0], rgb[1], rgb[2]);
            }
        }
    return types;
}

void ReadStageParameters(const std::string& dir, TStageParameters& parameters) {
    const std::string fileName = dir + DataFileName;
    TZ5EasyXMLReader reader;
    reader.LoadFromFile(fileName);
    reader.Enter("stage");
    parameters.BlueWaterNum = ReadInteger(reader, "blue_water_num", fileName);
    parameters.BlueWaterNumForClear = ReadInteger(reader, "blue_water_num_for_clear", fileName);
    parameters.EtcWaterNumForEnd = ReadInteger(reader, "etc_water_num_for_end", fileName);
    // Checked before it is taken: a pool of a refused size would be made at the next reset.
    const std::int32_t particleNum = ReadInteger(reader, "water_particle_num", fileName);
    CheckParticleNum(particleNum, fileName);
    parameters.WaterParticleNum = particleNum;
    parameters.WaterRadius = ReadInteger(reader, "water_radius", fileName);
    parameters.WaterMaxVelocity = ReadReal(reader, "water_max_velocity", fileName);
    parameters.WaterGravity = ReadReal(reader, "water_gravity", fileName);
    parameters.WaterVelocityDecayRate = ReadReal(reader, "water_velocity_decay_rate", fileName);
    parameters.WaterShakeVelocity = ReadReal(reader, "water_shake_velocity", fileName);
    parameters.WaterSwapFrequency = ReadReal(reader, "water_swap_frequency", fileName);
    reader.Leave();
}

void CheckStageParameters(const TStageParameters& parameters, const std::string& where) {
    CheckParticleNum(parameters.WaterParticleNum, where);
}
