#include "render/draw_primitives.h"

#include <cmath>
#include <cstring>

#include "math/matrix4x4.h"
#include "render/vertices.h"
#include "shell/shell_state.h"

namespace {

constexpr DWORD WHITE = 0xFFFFFFFF;

void DrawFan(int8_t slot, const void* vertices, UINT stride) {
    IDirect3DDevice8* device = shellState.device;
    device->SetTexture(0, shellState.textures[slot]);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, stride);
}

void SetWorld(const Matrix4x4& world) {
    D3DMATRIX matrix;
    static_assert(sizeof(matrix) == sizeof(world));
    std::memcpy(&matrix, &world, sizeof(matrix));
    shellState.device->SetTransform(D3DTS_WORLD, &matrix);
}

ScreenVertex Corner(float x, float y, DWORD diffuse, float u, float v) {
    return ScreenVertex{x, y, 0.0f, 1.0f, diffuse, u, v};
}

DWORD ScreenDiffuse(uint8_t alpha) {
    return (static_cast<DWORD>(alpha) << 24) | 0x00FFFFFF;
}

}  // namespace

void DrawScreenRect(float x0, float y0, float x1, float y1, uint8_t alpha, int8_t slot) {
    const DWORD diffuse = ScreenDiffuse(alpha);
    const ScreenVertex quad[4] = {
        Corner(x0, y0, diffuse, 0.0f, 0.0f),
        Corner(x0, y1, diffuse, 0.0f, 1.0f),
        Corner(x1, y1, diffuse, 1.0f, 1.0f),
        Corner(x1, y0, diffuse, 1.0f, 0.0f),
    };
    DrawFan(slot, quad, sizeof(ScreenVertex));
}

void DrawScreenCell(float x, float y, uint8_t alpha, float size, int8_t slot, int8_t cell) {
    const float h = size / 2;
    const AtlasCell c(cell);
    const DWORD diffuse = ScreenDiffuse(alpha);
    const ScreenVertex quad[4] = {
        Corner(x - h, y - h, diffuse, c.u0, c.v0),
        Corner(x - h, y + h, diffuse, c.u0, c.v1),
        Corner(x + h, y + h, diffuse, c.u1, c.v1),
        Corner(x + h, y - h, diffuse, c.u1, c.v0),
    };
    DrawFan(slot, quad, sizeof(ScreenVertex));
}

void DrawNumber(int16_t x, int16_t y, int8_t slot, uint8_t alpha, uint8_t count, int8_t size, int32_t value) {
    for (int i = count - 1; i >= 0; --i) {
        const int digit = static_cast<int>(value / std::pow(10.0, i)) % 10;
        DrawScreenCell(static_cast<float>(x - i * size), static_cast<float>(y), alpha, static_cast<float>(size), slot,
                       static_cast<int8_t>(digit));
    }
}

void DrawBackdrop(int8_t slot) {
    Matrix4x4 world;
    TranslationMatrix(&world, 84.0f, 0.0f, 50.0f);
    SetWorld(world);
    const WorldVertex quad[4] = {
        WorldVertex(-96.0f, -24.0f, 0.0f, WHITE, 0.0f, 1.0f),
        WorldVertex(-96.0f, 24.0f, 0.0f, WHITE, 0.0f, 0.0f),
        WorldVertex(96.0f, 24.0f, 0.0f, WHITE, 1.0f, 0.0f),
        WorldVertex(96.0f, -24.0f, 0.0f, WHITE, 1.0f, 1.0f),
    };
    DrawFan(slot, quad, sizeof(WorldVertex));
}

void DrawBillboard(float x, float y, float z, float angle, int8_t slot, int8_t cell, float width, float height) {
    Matrix4x4 rotation;
    Matrix4x4 translation;
    RotationZMatrix(&rotation, angle);
    TranslationMatrix(&translation, x, y, z);
    SetWorld(rotation * translation);

    const float hw = width / 2;
    const float hh = height / 2;
    const AtlasCell c(cell);
    // World y grows upward, so v runs the other way from the screen cell.
    const WorldVertex quad[4] = {
        WorldVertex(-hw, -hh, 0.0f, WHITE, c.u0, c.v1),
        WorldVertex(-hw, hh, 0.0f, WHITE, c.u0, c.v0),
        WorldVertex(hw, hh, 0.0f, WHITE, c.u1, c.v0),
        WorldVertex(hw, -hh, 0.0f, WHITE, c.u1, c.v1),
    };
    DrawFan(slot, quad, sizeof(WorldVertex));
}
