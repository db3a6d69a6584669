#pragma once
// The two vertex layouts the game draws with, and the 4 x 4 atlas cells.

#include <windows.h>

#include <cstdint>

// Pre-transformed: pixels from the top-left of the back buffer.
constexpr DWORD SCREEN_VERTEX_FVF = 0x144;  // XYZRHW | DIFFUSE | TEX1

struct ScreenVertex {
    float x;
    float y;
    float z;  // always 0: the near end, so the overlay is never hidden
    float rhw;
    DWORD diffuse;
    float u;
    float v;
};
static_assert(sizeof(ScreenVertex) == 28);

// Model space, y upward.
constexpr DWORD WORLD_VERTEX_FVF = 0x142;  // XYZ | DIFFUSE | TEX1

struct WorldVertex {
    float x;
    float y;
    float z;
    DWORD diffuse;
    float u;
    float v;

    WorldVertex() = default;
    WorldVertex(float x_, float y_, float z_, DWORD diffuse_, float u_, float v_)
        : x(x_), y(y_), z(z_), diffuse(diffuse_), u(u_), v(v_) {}
};
static_assert(sizeof(WorldVertex) == 24);

// Texture rectangle of one cell of the 4 x 4 atlas; cells 0..3 form the top row.
struct AtlasCell {
    float u0;
    float u1;
    float v0;
    float v1;

    explicit AtlasCell(int8_t cell);
};
