#include "game/render/TextureManagerUnit.h"

#include "game/render/DefineUnit.h"
#include "platform/CheckedFile.h"
#include "platform/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace platform::gl;
using platform::GL;

namespace {

const char* const ImageExtensions[] = {".jpg", ".png", ".bmp"};

int MaxTextureSize() {
    GLint size = 0;
    GL().GetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

void CheckFitsTexture(const platform::Picture& picture, const std::string& fileName) {
    const int largest = MaxTextureSize();
    if (picture.Width > largest || picture.Height > largest)
        throw Exception(fileName + ": the picture (" + std::to_string(picture.Width) + " x " +
                        std::to_string(picture.Height) + ") is larger than the largest texture (" +
                        std::to_string(largest) + " x " + std::to_string(largest) + ")");
}

// On the texture bound now.
void SetFilterParameters(TTextureFilter filter) {
    const auto mode = static_cast<GLint>(filter == tfNearest ? GL_NEAREST : GL_LINEAR);
    GL().TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mode);
    GL().TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mode);
}

} // namespace

bool FindImageFile(std::string& path) {
    for (const char* extension : ImageExtensions)
        if (platform::CheckRegularFile(path + extension).IsRegularFile()) {
            path += extension;
            return true;
        }
    return false;
}

std::string WhyNoImageFile(const std::string& base) {
    for (const char* extension : ImageExtensions) {
        const platform::FileCheck check = platform::CheckRegularFile(base + extension);
        if (check.SystemError != ENOENT)
            return base + extension + ": " + check.Reason;
    }
    return base + ".jpg, .png, .bmp: " + std::strerror(ENOENT);
}

int NextPowerOfTwo(int n) {
    int result = 1;
    while (result < n)
        result *= 2;
    return result;
}

std::vector<std::uint8_t> PictureToTexels(const platform::Picture& picture, int textureWidth,
                                          int textureHeight) {
    const bool hasAlpha = picture.HasAlpha();
    const std::size_t components = hasAlpha ? 4 : 3;
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(textureWidth) * textureHeight * components);
    if (picture.Width <= 0 || picture.Height <= 0)
        return texels;
    std::uint8_t* out = texels.data();
    for (int y = 0; y < textureHeight; ++y) {
        const auto row = static_cast<std::size_t>(std::min(y, picture.Height - 1)) * picture.Width;
        for (int x = 0; x < textureWidth; ++x) {
            const std::size_t pixel = row + static_cast<std::size_t>(std::min(x, picture.Width - 1));
            const std::uint8_t* rgb = &picture.Rgb[pixel * 3];
            *out++ = rgb[0];
            *out++ = rgb[1];
            *out++ = rgb[2];
            if (hasAlpha)
                *out++ = picture.Alpha[pixel];
        }
    }
    return texels;
}

void TTexture::LoadFromFile(const std::string& fileName) {
    // Decode and check first: a bad file leaves the texture as it was.
    const platform::Picture picture = platform::LoadPicture(fileName);
    CheckFitsTexture(picture, fileName);
    const int textureWidth = NextPowerOfTwo(picture.Width);
    const int textureHeight = NextPowerOfTwo(picture.Height);
    const std::vector<std::uint8_t> texels = PictureToTexels(picture, textureWidth, textureHeight);

    platform::TextureObject texture = platform::TextureObject::Generate();
    GL().BindTexture(GL_TEXTURE_2D, texture.Get());
    SetFilterParameters(tfLinear);
    GL().PixelStorei(GL_UNPACK_ALIGNMENT, 1); // RGB rows of odd widths are not padded
    const GLenum format = picture.HasAlpha() ? GL_RGBA : GL_RGB;
    GL().TexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), textureWidth, textureHeight, 0, format,
                    GL_UNSIGNED_BYTE, texels.data());

    Name = std::move(texture); // deletes the texture loaded before
    Width_ = picture.Width;
    Height_ = picture.Height;
    TextureWidth_ = textureWidth;
    TextureHeight_ = textureHeight;
    HasAlpha_ = picture.HasAlpha();
    Filter = tfLinear;
    Coverage_ = TPictureCoverage(picture);
}

void TTexture::Bind() const {
    GL().BindTexture(GL_TEXTURE_2D, Name.Get());
}

// The driver checks its sampling state again after each change: changed
// only when the filter differs from the texture's last one.
void TTexture::BindWithFilter(TTextureFilter filter) const {
    Bind();
    if (filter == Filter)
        return;
    SetFilterParameters(filter);
    Filter = filter;
}

void TTexture::DrawWhole(float x, float y) const {
    const float s1 = static_cast<float>(Width_) / static_cast<float>(TextureWidth_);
    const float t1 = static_cast<float>(Height_) / static_cast<float>(TextureHeight_);
    const auto w = static_cast<float>(Width_), h = static_cast<float>(Height_);
    GL().Enable(GL_TEXTURE_2D);
    BindWithFilter(tfLinear);
    GL().Color4f(1, 1, 1, 1);
    GL().Begin(GL_POLYGON);
    GL().TexCoord2f(0, 0);
    GL().Vertex3f(x, y, 0);
    GL().TexCoord2f(0, t1);
    GL().Vertex3f(x, y + h, 0);
    GL().TexCoord2f(s1, t1);
    GL().Vertex3f(x + w, y + h, 0);
    GL().TexCoord2f(s1, 0);
    GL().Vertex3f(x + w, y, 0);
    GL().End();
    GL().Disable(GL_TEXTURE_2D);
}

void TTextureManager::SetCount(int count) {
    Textures.clear();
    for (int i = 0; i < count; ++i)
        Textures.push_back(std::make_unique<TTexture>());
}

TTexture& TTextureManager::GetTexture(int index) const {
    if (index < 0 || index >= Count())
        throw Exception("texture " + std::to_string(index) + " does not exist (there are " +
                        std::to_string(Count()) + ")");
    return *Textures[static_cast<std::size_t>(index)];
}

void TGameTextureManager::LoadStartupPictures(const std::string& folder, const std::string& languageFolder) {
    SetCount(TextureIDCount);
    for (int id = 0; id < TextureIDCount; ++id) {
        const std::string name(TextureBaseNames[static_cast<std::size_t>(id)]);
        std::string inLanguage = folder + languageFolder + name, path = folder + name;
        if (!languageFolder.empty() && FindImageFile(inLanguage))
            GetTexture(id).LoadFromFile(inLanguage);
        else if (FindImageFile(path))
            GetTexture(id).LoadFromFile(path);
    }
}
