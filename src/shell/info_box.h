#pragma once
// The modal information box: title, version and last second's statistics.

#include <cstddef>

constexpr const char* GAME_VERSION = "0.2";

// Writes the box's text for the current statistics into `text` (always
// terminated); returns the length the full text has.
int FormatInfoText(char* text, size_t capacity);

// Shows the box and returns when it is dismissed.
void ShowInfoBox();
