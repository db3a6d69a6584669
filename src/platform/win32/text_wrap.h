#pragma once
// Inside the platform layer: text broken into lines that fit a width, for
// the platform's own boxes.

#include <string>
#include <string_view>
#include <vector>

#include "box_text.h"

namespace platform {

// The text's lines ('\n' ends one) wrapped to maxWidth: after spaces, and
// around characters of scripts written without spaces (kana, kanji); a
// word wider than maxWidth is broken between characters. Spaces where a
// line is broken are dropped.
std::vector<std::string> WrapText(BoxFonts& fonts, std::string_view text, int maxWidth);

}  // namespace platform
