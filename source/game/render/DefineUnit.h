#pragma once
// Identifiers shared across the game layer.

#include <array>
#include <cstdint>
#include <string_view>

// The texture slots. A slot's start-up picture is "images/" + its base name
// (the identifier without "tid") + ".jpg", ".png" or ".bmp".
enum TTextureID : std::uint8_t {
    tidBG,
    tidBlock,
    tidFront,
    tidBlue,
    tidRed,
    tidTitle,
    tidTitleClick,
    tidCursor,
    tidClear,
    tidGameOver,
    tidGo,
    // Drawn over the front layer on cells the player changed.
    tidOutlet,
    tidDrain,
    tidSource,
    tidWallOutline,
};

inline constexpr int TextureIDCount = tidWallOutline + 1;

inline constexpr std::array<std::string_view, TextureIDCount> TextureBaseNames = {
    "BG",  "Block",    "Front", "Blue",   "Red",    "Title",      "TitleClick", "Cursor",
    "Clear", "GameOver", "Go",   "Outlet", "Drain", "Source", "WallOutline",
};
