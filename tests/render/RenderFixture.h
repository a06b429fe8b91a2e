#pragma once
// A small window under the test display with the renderer bound to it, the
// 2D projection set, and helpers that read pixels back from the back buffer
// in the renderer's top-left coordinates.

#include "game/render/GameRendererUnit.h"
#include "game/render/OpenGLRendererUnit.h"
#include "game/render/StageLayersUnit.h"
#include "game/render/VaporelBoxDrawerUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/OpenGLBinding.h"
#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>

struct Rgb {
    int R, G, B;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// Colours compare with a little slack: llvmpipe rounds, smoothing softens edges.
testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int slack = 2);

inline constexpr int ClientWidth = 320;
inline constexpr int ClientHeight = 240;

// A window of the client size (or a message-only one) on the test display.
platform::WindowHandle CreateTestWindow(bool messageOnly = false, int width = ClientWidth,
                                        int height = ClientHeight);

// The game's renderer with the pictures of a folder, and a box that draws
// with it, on a window of the field's size. Without a display it raises.
struct GameScene {
    explicit GameScene(const std::string& pictureFolder);
    ~GameScene();
    GameScene(const GameScene&) = delete;
    GameScene& operator=(const GameScene&) = delete;

    TGameProfiler Profiler;
    TApp App; // never runs: the cell cursor outlines the top-left cell
    platform::WindowHandle Window = nullptr;
    std::unique_ptr<TGameRenderer> Renderer;
    std::unique_ptr<TStageLayers> Layers;
    std::unique_ptr<TVaporelBoxDrawer> Drawer;
    std::unique_ptr<TVaporelBox> Box;
};

class RenderTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Fills the colour buffer, clears the depth buffer.
    void Fill(float r, float g, float b);
    // The pixel at (x, y), y counted downwards from the top, as the 2D projection does.
    Rgb PixelAt(int x, int y) const;
    // How many pixels of the rectangle differ from `background`.
    int CountDiffering(int left, int top, int right, int bottom, const Rgb& background) const;

    platform::WindowHandle Window = nullptr;
    std::unique_ptr<TOpenGLRenderer> Renderer;
};
