#pragma once
// The quads everything is drawn with. Each binds one texture slot of
// ShellState and draws a two-triangle fan from stack memory; the caller sets
// the matching vertex format first.

#include <cstdint>

// The whole texture stretched over a screen rectangle.
void DrawScreenRect(float x0, float y0, float x1, float y1, uint8_t alpha, int8_t slot);

// An atlas cell as a square of side `size` centred on a screen point.
void DrawScreenCell(float x, float y, uint8_t alpha, float size, int8_t slot, int8_t cell);

// `count` digits of `value` (leading zeros drawn, higher digits dropped),
// the units digit centred on (x, y), neighbours `size` apart.
void DrawNumber(int16_t x, int16_t y, int8_t slot, uint8_t alpha, uint8_t count, int8_t size, int32_t value);

// The backdrop: 192 x 48 world units centred on (84, 0) at depth 50.
void DrawBackdrop(int8_t slot);

// An atlas cell in the world, turned about its centre by `angle` (radians,
// counter-clockwise as seen by the camera) and centred on (x, y, z).
void DrawBillboard(float x, float y, float z, float angle, int8_t slot, int8_t cell, float width, float height);
