#pragma once
// A stage's layer pictures in the renderer's texture slots: Back, Block and
// Front of the stage folder the box loads.

#include "game/render/LayerTextures.h"
#include "game/water/VaporelBoxUnit.h"

#include <string>

class TStageLayers : public TStagePictures {
public:
    // Stores the reference (not owned).
    explicit TStageLayers(TLayerTextures& textures) : Textures(textures) {}

    void LoadLayers(const std::string& dir, bool firstStage) override;

private:
    // A layer picture's slot, its file's name in a stage folder, and the
    // stage folder whose picture the slot holds (empty: what start-up put
    // there, or nothing).
    struct TLayer {
        TTextureID Slot;
        const char* Name;
        std::string Folder;
    };

    void LoadLayer(TLayer& layer, const std::string& dir, bool firstStage);

    TLayerTextures& Textures;
    TLayer Layers[3] = {{tidBG, "Back", {}}, {tidBlock, "Block", {}}, {tidFront, "Front", {}}};
};
