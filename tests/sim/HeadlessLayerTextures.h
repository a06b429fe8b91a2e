#pragma once
// Texture slots without OpenGL, for the tests of a stage's layer pictures. A
// load decodes the picture as the game's texture manager does, so a damaged
// layer picture fails here exactly as in the game, then keeps only its size
// and file name.

#include "game/render/LayerTextures.h"
#include "platform/PictureDecoder.h"

#include <array>
#include <string>

class THeadlessLayerTextures : public TLayerTextures {
public:
    struct TSlot {
        bool Loaded = false;
        std::string FileName;
        int Width = 0;
        int Height = 0;
    };

    bool IsLoaded(TTextureID id) const override { return Slots[id].Loaded; }
    void LoadFromFile(TTextureID id, const std::string& fileName) override {
        const platform::Picture picture = platform::LoadPicture(fileName);
        Slots[id] = TSlot{true, fileName, picture.Width, picture.Height};
        ++LoadCount_;
    }

    const TSlot& Slot(TTextureID id) const { return Slots[id]; }
    int LoadCount() const { return LoadCount_; }

private:
    std::array<TSlot, TextureIDCount> Slots;
    int LoadCount_ = 0;
};
