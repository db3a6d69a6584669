#include <cmath>

#include "game/game_state.h"
#include "input/key_tracker.h"
#include "shell/info_box.h"

GameState gameState;

void ResetGame() {
    GameState& g = gameState;
    g.posX = 0.0f;
    g.posY = 0.0f;
    g.velX = 0.0f;
    g.velY = 0.0f;
    g.boostTimer = 0;
    g.aimAngle = AIM_START;
    g.boostsLeft = BOOST_COUNT;
    g.cameraX = 0.0f;
    g.cameraY = 0.0f;
    g.cameraZ = 0.0f;
    g.cameraRoll = 0.0f;
    g.resetPending = 0;
}

namespace {

void StepFlight(GameState& g) {
    // Move with the previous step's velocities, then update them.
    g.posX = g.posX + g.velX;
    g.posY = g.posY + g.velY;
    g.velX = g.velX - g.velX / DRAG_DIVISOR;
    g.velY = static_cast<float>(g.velY - GRAVITY);

    if (g.boostTimer > 0) {
        --g.boostTimer;
        g.puffX = static_cast<float>(g.puffX + std::cos(static_cast<double>(g.puffAngle)) * PUFF_SPEED);
        g.puffY = static_cast<float>(g.puffY + std::sin(static_cast<double>(g.puffAngle)) * PUFF_SPEED);
    }

    if (keyStates.space == KEY_PRESSED && g.boostsLeft > 0 && g.boostTimer == 0) {
        --g.boostsLeft;
        // Within the aim limits, (-cos, -sin) points forward and up.
        g.velX = static_cast<float>(g.velX - std::cos(static_cast<double>(g.aimAngle)) * BOOST_IMPULSE);
        g.velY = static_cast<float>(g.velY - std::sin(static_cast<double>(g.aimAngle)) * BOOST_IMPULSE);
        g.boostTimer = BOOST_COOLDOWN;
        g.puffX = g.posX;
        g.puffY = g.posY - PUFF_DROP;
        g.puffAngle = g.aimAngle;
    }

    if (!(g.posY > GROUND_HEIGHT)) {
        g.posY = GROUND_HEIGHT;
        g.phase = PHASE_LANDED;
    }
}

void FollowAndSteer(GameState& g) {
    g.cameraX = g.posX;
    if (g.cameraX < CAMERA_MIN_X) {
        g.cameraX = CAMERA_MIN_X;
    }
    if (g.cameraX > CAMERA_MAX_X) {
        g.cameraX = CAMERA_MAX_X;
    }

    const bool towardForward = keyStates.numpad4 == KEY_HELD;
    const bool towardUp = keyStates.numpad6 == KEY_HELD;
    if (towardForward) {
        g.aimAngle = g.aimAngle - AIM_STEP;
    }
    if (towardUp) {
        g.aimAngle = g.aimAngle + AIM_STEP;
    }
    if (g.aimAngle < AIM_MIN) {
        g.aimAngle = AIM_MIN;
    }
    if (g.aimAngle > AIM_MAX) {
        g.aimAngle = AIM_MAX;
    }
    // Steering also runs the boost timer (and the puff's life) down.
    if ((towardForward || towardUp) && g.boostTimer > 0) {
        --g.boostTimer;
    }
}

}  // namespace

void UpdateGame() {
    GameState& g = gameState;
    if (g.resetPending) {
        ResetGame();
    }
    if (g.phase == PHASE_TITLE && keyStates.space == KEY_PRESSED) {
        g.posY = LAUNCH_HEIGHT;
        g.phase = PHASE_READY;
    }
    if (g.phase == PHASE_READY && keyStates.enter == KEY_PRESSED) {
        g.velX = LAUNCH_SPEED;
        g.phase = PHASE_FLIGHT;
    }
    if (g.phase == PHASE_FLIGHT) {
        StepFlight(g);
    }
    if (g.phase == PHASE_LANDED && keyStates.enter == KEY_PRESSED) {
        g.resetPending = 1;
        g.phase = PHASE_TITLE;
    }
    if (g.phase != PHASE_TITLE) {
        FollowAndSteer(g);
    }
    if (keyStates.numpad0 == KEY_PRESSED) {
        ShowInfoBox();
    }
}
