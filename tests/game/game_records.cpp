#include "game/game_state.h"
#include "input/key_tracker.h"
#include "platform_fakes.h"
#include "shell/frame_clock.h"
#include "shell/shell_state.h"

void ResetGameRecords() {
    shellState = ShellState{};
    frameClock = FrameClock{};
    keyStates = KeyStates{};
    gameState = GameState{};
}
