#pragma once
// Textures from picture files, and the table of them indexed by TTextureID.

#include <string>

// Tries `path` + ".jpg", then ".png", then ".bmp"; the first that exists as a
// file is appended to `path` and the answer is true. Otherwise `path` is
// unchanged and the answer is false.
bool FindImageFile(std::string& path);

// The smallest power of two that is at least n; 0 and 1 both give 1.
int NextPowerOfTwo(int n);
