// Fuzzed bytes as a stage's Map.png: loading must either succeed, with every
// cell of a known type, or raise the program's Exception naming the file.

#include "StageFolder.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TFuzzStageFolder stage;
    stage.Write("Map.png", data, size);
    try {
        stage.Box->LoadStage(stage.Dir);
    } catch (const Exception& error) {
        if (std::string(error.what()).find("Map.png") == std::string::npos)
            std::abort(); // every map failure must name the file
        return 0;
    }
    for (const auto& column : stage.Box->Cells())
        for (const TMapCell& cell : column)
            if (cell.CellType >= CellTypeCount)
                std::abort();
    return 0;
}
