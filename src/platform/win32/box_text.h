#pragma once
// Inside the platform layer: text in the platform's own boxes. TrueType
// fonts found through fontconfig, a sans-serif one for most text and, per
// character it lacks, one that has it (Japanese first: the platform's narrow
// text is code page 932); measuring and drawing lines onto a surface.

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One character of UTF-8 text and where its bytes are. Malformed bytes
// become U+FFFD one at a time, so nothing is lost from view.
struct Utf8Char {
    char32_t cp;
    size_t begin;
    size_t end;
};
std::vector<Utf8Char> DecodeUtf8(std::string_view text);

// The fonts, opened once for the process. Null where SDL_ttf cannot start
// or no font can be found.
class BoxFonts;
BoxFonts* OpenBoxFonts();

// Consecutive characters drawn with one font.
struct TextRun {
    TTF_Font* font;
    std::string text;  // UTF-8
};

// The runs of a line: each character goes to the first font that has a
// glyph for it (fonts are looked up for characters none of the open ones
// has); characters no font has stay with the main font.
std::vector<TextRun> SplitRuns(BoxFonts& fonts, std::string_view line);

// Width in pixels of a line drawn as its runs.
int LineWidth(BoxFonts& fonts, std::string_view line);
// Distance from one line's top to the next.
int LineHeight(BoxFonts& fonts);

// Draws a line with its top left at (x, y), glyphs on one baseline.
void DrawLine(BoxFonts& fonts, SDL_Surface* target, std::string_view line, int x, int y, SDL_Color colour);

}  // namespace platform
