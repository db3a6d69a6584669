#pragma once
// The whole game: phase, body, aim, boosts, puff and camera, advanced one
// step per frame. World x grows in the direction of flight, y upward.

#include <bit>
#include <cstdint>

typedef uint8_t GamePhase;
constexpr GamePhase PHASE_TITLE = 0;   // the title picture
constexpr GamePhase PHASE_READY = 1;   // the body at launch height, aim adjustable
constexpr GamePhase PHASE_FLIGHT = 2;  // moving; boosts allowed
constexpr GamePhase PHASE_LANDED = 3;  // the distance is shown

constexpr float LAUNCH_HEIGHT = 17.0f;
constexpr float LAUNCH_SPEED = 1.0f;
constexpr float DRAG_DIVISOR = 35.0f;
constexpr double GRAVITY = 0.05;
constexpr double BOOST_IMPULSE = 1.5;
constexpr int8_t BOOST_COUNT = 3;
constexpr int8_t BOOST_COOLDOWN = 15;
constexpr float PUFF_DROP = 1.0f;
constexpr double PUFF_SPEED = 1.0;
constexpr float GROUND_HEIGHT = -15.0f;
constexpr float AIM_START = std::bit_cast<float>(uint32_t{0x407B53CE});  // 3.926990, 45 degrees up and forward
constexpr float AIM_MIN = std::bit_cast<float>(uint32_t{0x40490FD8});    // 3.141592, straight forward
constexpr float AIM_MAX = std::bit_cast<float>(uint32_t{0x4096CBE2});    // 4.712388, straight up
constexpr float AIM_STEP = std::bit_cast<float>(uint32_t{0x3D8EFA33});   // 4 degrees
constexpr float CAMERA_MIN_X = 30.0f;
constexpr float CAMERA_MAX_X = 141.0f;

struct GameState {
    GamePhase phase = 0;
    float posX = 0;  // its whole part is the score
    float posY = 0;
    float velX = 0;  // change per step
    float velY = 0;
    float aimAngle = 0;  // radians, within AIM_MIN..AIM_MAX
    int8_t boostsLeft = 0;
    int8_t boostTimer = 0;  // steps until the next boost; the puff shows while positive
    float puffX = 0;
    float puffY = 0;
    float puffAngle = 0;  // direction the puff drifts
    float cameraX = 0;    // posX clamped to CAMERA_MIN_X..CAMERA_MAX_X
    float cameraY = 0;
    float cameraZ = 0;
    float cameraRoll = 0;
    int32_t resetPending = 1;  // run ResetGame at the start of the next update
};

// Zero at load except resetPending, so the first update resets the game;
// GameState{} is that state.
extern GameState gameState;

// Clears a run; leaves the phase and the puff alone.
void ResetGame();

// One step, after the keys are sampled and before rendering.
void UpdateGame();
