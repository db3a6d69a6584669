#include "shell/info_box.h"

#include <windows.h>

#include <cstdio>

#include "shell/frame_clock.h"

int FormatInfoText(char* text, size_t capacity) {
    // FPS counts the pictures shown; LOOP counts the steps run.
    return std::snprintf(text, capacity,
                         " tovlen bounce / version %s \n by marl-ovin \n\n [ FPS : %d / LOOP : %d / SKIP : %d ] \n",
                         GAME_VERSION, frameClock.framesLastSecond - frameClock.skipsLastSecond,
                         static_cast<int>(frameClock.framesLastSecond), static_cast<int>(frameClock.skipsLastSecond));
}

void ShowInfoBox() {
    char text[160];
    FormatInfoText(text, sizeof(text));
    MessageBoxA(nullptr, text, "tovlen bounce", MB_OK);
}
