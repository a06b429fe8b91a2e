#include "game/render/HeadlessLayerTextures.h"

#include "platform/PictureDecoder.h"

void THeadlessLayerTextures::LoadFromFile(TTextureID id, const std::string& fileName) {
    const platform::Picture picture = platform::LoadPicture(fileName);
    Slots[id] = TSlot{true, fileName, picture.Width, picture.Height};
    ++LoadCount_;
}
