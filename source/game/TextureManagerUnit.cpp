#include "game/TextureManagerUnit.h"

#include <filesystem>

namespace {

const char* const ImageExtensions[] = {".jpg", ".png", ".bmp"};

} // namespace

bool FindImageFile(std::string& path) {
    for (const char* extension : ImageExtensions) {
        std::error_code error;
        if (std::filesystem::is_regular_file(path + extension, error)) {
            path += extension;
            return true;
        }
    }
    return false;
}

int NextPowerOfTwo(int n) {
    int result = 1;
    while (result < n)
        result *= 2;
    return result;
}
