#pragma once
// Draws the game state left by the update and presents it.

#include <windows.h>

#include <bit>
#include <cstdint>

#include "game/game_state.h"

constexpr DWORD CLEAR_COLOR = 0xFF004040;                                   // dark teal behind everything
constexpr float FOV_Y = std::bit_cast<float>(uint32_t{0x3F860A90});         // 1.0471973, about pi/3
constexpr float ASPECT_RATIO = std::bit_cast<float>(uint32_t{0x3FAA3D71});  // 1.33
constexpr float Z_NEAR = 1.0f;
constexpr float Z_FAR = 100.0f;

// Atlas cells besides the digits 0..9.
constexpr int8_t CELL_BODY = 10;
constexpr int8_t CELL_PUFF = 11;
constexpr int8_t CELL_ARROW = 12;
constexpr int8_t CELL_LABEL = 13;

// Sets every device state it relies on, draws the world and the overlay,
// presents, and resets the device when the present fails.
void RenderFrame();
