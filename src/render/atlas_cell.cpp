#include "render/vertices.h"

AtlasCell::AtlasCell(int8_t cell) {
    const int column = cell % 4;
    const int row = cell / 4;
    u0 = static_cast<float>(column * 0.25);
    u1 = static_cast<float>((column + 1) * 0.25);
    v0 = static_cast<float>(row * 0.25);
    v1 = static_cast<float>((row + 1) * 0.25);
}
