#pragma once
// A stage folder in a private temporary directory for the stage fuzz
// targets: a small valid map (one source cell) and a valid data.xml; the box
// reads no layer pictures, so each input costs one LoadStage of small files.

#include "game/water/VaporelBoxUnit.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

class TFuzzStageFolder {
public:
    // 16 x 16 white RGB picture with a black (source) pixel at (0, 0).
    static constexpr std::uint8_t TinyMap[] = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
        0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x08, 0x02, 0x00, 0x00, 0x00, 0x90, 0x91, 0x68, 0x36, 0x00,
        0x00, 0x00, 0x18, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0x60, 0x60, 0x60, 0xf8, 0x4f, 0x0a, 0x20,
        0x4d, 0xf5, 0xa8, 0x86, 0x51, 0x0d, 0x43, 0x4a, 0x03, 0x00, 0x8e, 0x50, 0xfa, 0x22, 0x69, 0x01, 0xd8,
        0x9c, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    static constexpr const char* GoodData =
        "<stage><blue_water_num>20</blue_water_num><blue_water_num_for_clear>5</blue_water_num_for_clear>"
        "<etc_water_num_for_end>5</etc_water_num_for_end><water_particle_num>40</water_particle_num>"
        "<water_radius>4</water_radius><water_max_velocity>7</water_max_velocity>"
        "<water_gravity>1.2</water_gravity><water_velocity_decay_rate>0.98</water_velocity_decay_rate>"
        "<water_shake_velocity>0.5</water_shake_velocity><water_swap_frequency>0.1</water_swap_frequency></"
        "stage>";

    TFuzzStageFolder() {
        char pattern[] = "/tmp/vaporel-stage-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        Dir = pattern;
        Write("Map.png", TinyMap, sizeof TinyMap);
        Write("data.xml", reinterpret_cast<const std::uint8_t*>(GoodData),
              std::char_traits<char>::length(GoodData));
        Box = std::make_unique<TVaporelBox>(Profiler);
    }
    ~TFuzzStageFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }

    void Write(const std::string& name, const std::uint8_t* data, std::size_t size) {
        std::ofstream(Dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    }

    std::string Dir;
    TGameProfiler Profiler;
    std::unique_ptr<TVaporelBox> Box;
};
