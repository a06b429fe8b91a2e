#include "game/render/StageLayersUnit.h"

#include "game/render/TextureManagerUnit.h"

void TStageLayers::LoadLayers(const std::string& dir, bool firstStage) {
    for (TLayer& layer : Layers)
        LoadLayer(layer, dir, firstStage);
}

// The first stage keeps the pictures start-up put in the slots (from
// images/), and a stage keeps the pictures it loaded itself; otherwise the
// stage brings its own. What each slot holds is known slot by slot, so a
// load that failed part way (a picture that failed leaves its slot as it
// was) costs the next stage no picture of its own.
void TStageLayers::LoadLayer(TLayer& layer, const std::string& dir, bool firstStage) {
    const bool ownPicture = layer.Folder == dir || (layer.Folder.empty() && firstStage);
    if (!ownPicture || !Textures.IsLoaded(layer.Slot)) {
        const std::string base = dir + layer.Name;
        std::string fileName = base;
        if (!FindImageFile(fileName))
            throw Exception(base + "は、対応していない画像ファイルです。(" + WhyNoImageFile(base) + ")");
        Textures.LoadFromFile(layer.Slot, fileName);
    }
    layer.Folder = dir;
}
