#pragma once
// The texture slots a stage fills with its layer pictures ("Back", "Block",
// "Front"). The game's texture manager answers for the real OpenGL textures;
// a headless caller (the stage runner, tests) provides its own. Kept minimal:
// the stage loader needs nothing else.

#include "game/render/DefineUnit.h"

#include <string>

class TLayerTextures {
public:
    virtual ~TLayerTextures() = default;

    // The slot already holds a picture (from start-up or an earlier stage load).
    virtual bool IsLoaded(TTextureID id) const = 0;
    // Loads the picture file (name with its extension) into the slot; a file
    // that cannot be decoded raises the decoder's error and leaves the slot empty.
    virtual void LoadFromFile(TTextureID id, const std::string& fileName) = 0;
};
