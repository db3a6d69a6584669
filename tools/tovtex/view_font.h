#pragma once
// The small bitmap font of `tovtex view`'s overlay line: printable ASCII in
// 5 x 7 cells, one pixel apart.

#include <cstdint>
#include <string>

namespace tovtex_tool {

constexpr int GLYPH_WIDTH = 5;
constexpr int GLYPH_HEIGHT = 7;
constexpr int GLYPH_ADVANCE = GLYPH_WIDTH + 1;

// Sets the pixels of text's glyphs to colour in an A8R8G8B8 picture of
// width x height (pitch in pixels), the first cell's top-left at (x, y);
// what falls outside is clipped. Characters outside printable ASCII show as
// '?'.
void DrawText(uint32_t* pixels, int pitch, int width, int height, int x, int y, const std::string& text,
              uint32_t colour);

}  // namespace tovtex_tool
