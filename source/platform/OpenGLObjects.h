#pragma once
// OpenGL objects owned like any other resource: the owner's destruction
// deletes them. They belong to the context that was current when they were
// made, and must go while it is still current (or with it).

#include "platform/OpenGLBinding.h"

#include <utility>

namespace platform {

// A run of consecutive display-list names from glGenLists.
class DisplayListRange {
public:
    DisplayListRange() = default;
    // Reserves `count` names; Base() is 0 when the driver has none left.
    explicit DisplayListRange(gl::GLsizei count) : First(GL().GenLists(count)), Count(count) {}
    ~DisplayListRange() { Release(); }
    DisplayListRange(DisplayListRange&& other) noexcept
        : First(std::exchange(other.First, 0)), Count(std::exchange(other.Count, 0)) {}
    DisplayListRange& operator=(DisplayListRange&& other) noexcept {
        if (this != &other) {
            Release();
            First = std::exchange(other.First, 0);
            Count = std::exchange(other.Count, 0);
        }
        return *this;
    }

    gl::GLuint Base() const { return First; }
    gl::GLsizei Size() const { return Count; }
    bool Reserved() const { return First != 0; }

private:
    void Release() {
        if (First != 0)
            GL().DeleteLists(First, Count);
        First = 0;
    }

    gl::GLuint First = 0;
    gl::GLsizei Count = 0;
};

// One texture object name from glGenTextures.
class TextureObject {
public:
    TextureObject() = default;
    static TextureObject Generate() {
        TextureObject texture;
        GL().GenTextures(1, &texture.Name);
        return texture;
    }
    ~TextureObject() { Release(); }
    TextureObject(TextureObject&& other) noexcept : Name(std::exchange(other.Name, 0)) {}
    TextureObject& operator=(TextureObject&& other) noexcept {
        if (this != &other) {
            Release();
            Name = std::exchange(other.Name, 0);
        }
        return *this;
    }

    gl::GLuint Get() const { return Name; }

private:
    void Release() {
        if (Name != 0)
            GL().DeleteTextures(1, &Name);
        Name = 0;
    }

    gl::GLuint Name = 0;
};

} // namespace platform
