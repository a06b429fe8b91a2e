#pragma once
// The scene of a stage as the game draws it, read from the box: background,
// gauges, particles, block cells, front layer, the cells the player changed,
// the cell cursor, the result overlay and the gauges' numbers.
//
// Main thread only, with the renderer's context current.

#include "game/render/GameRendererUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <cstdint>
#include <vector>

class TApp;

// How the particles reach the screen: each with its own blend switches and
// texture bind in immediate mode, or all in vertex arrays with the same pixels.
enum TParticleDrawing : std::uint8_t { pdEach, pdBatched };

// How full a gauge is: count / target, and full for a target of 0 or less
// (the stage data may leave a target out).
double GaugeRatio(std::int32_t count, std::int32_t target);

class TVaporelBoxDrawer : public TBoxDrawer {
public:
    // Stores the references (not owned); the cell cursor follows the
    // application's mouse cursor.
    TVaporelBoxDrawer(TApp& app, TGameRenderer& renderer) : App(app), Renderer(renderer) {}

    void DrawBox(const TVaporelBox& box) override;

    TParticleDrawing ParticleDrawing = pdBatched;

private:
    // Stone, not glass, where the player took a hidden wall away.
    void DrawRemovedGlass(const TVaporelBox& box) const;
    void DrawGauges(const TVaporelBox& box) const;
    void DrawParticles(const TVaporelBox& box);
    void DrawBlockCells(const TVaporelBox& box);
    void DrawChangedCells(const TVaporelBox& box) const;
    void DrawChangedCell(const TVaporelBox& box, int column, int row) const;
    void DrawCellCursor() const;
    void DrawResult(const TVaporelBox& box) const;
    void DrawGaugeNumbers(const TVaporelBox& box) const;

    TApp& App;
    TGameRenderer& Renderer;
    // The particles of the frame being drawn; grows to the pool once.
    std::vector<TSprite> ParticleSprites;
    // The block cells of the frame being drawn; grows to the map once.
    std::vector<TPictureRect> BlockPatches;
};
