#include <gtest/gtest.h>

#include <vector>

#include "game/game_state.h"
#include "input/key_tracker.h"
#include "platform_fakes.h"

namespace {

// Keys as sampled for one step.
struct Keys {
    KeyState space = KEY_UP;
    KeyState enter = KEY_UP;
    KeyState numpad4 = KEY_UP;
    KeyState numpad6 = KEY_UP;
};

void Step(const Keys& keys = {}) {
    keyStates.space = keys.space;
    keyStates.enter = keys.enter;
    keyStates.numpad4 = keys.numpad4;
    keyStates.numpad6 = keys.numpad6;
    keyStates.numpad0 = KEY_UP;
    UpdateGame();
}

class GameRules : public ::testing::Test {
protected:
    void SetUp() override { ResetGameRecords(); }

    // Title, space, return: the return step is flight step 1.
    void Launch(Keys launchKeys = {}) {
        Step();
        Step({.space = KEY_PRESSED});
        ASSERT_EQ(gameState.phase, PHASE_READY);
        launchKeys.enter = KEY_PRESSED;
        Step(launchKeys);
        ASSERT_EQ(gameState.phase, PHASE_FLIGHT);
    }

    // Flies on, pressing space in the listed flight steps; returns the step
    // that landed.
    int FlyUntilLanded(const std::vector<int>& boostSteps) {
        int step = 1;
        while (gameState.phase == PHASE_FLIGHT && step < 1000) {
            ++step;
            bool boost = false;
            for (int s : boostSteps) {
                boost = boost || s == step;
            }
            Step({.space = boost ? KEY_PRESSED : KEY_UP});
        }
        return step;
    }
};

TEST_F(GameRules, WorkedRuns) {
    struct Run {
        std::vector<int> boostSteps;
        int landingStep;
        float distance;
        int score;
    };
    const Run runs[] = {
        {{}, 37, 23.03f, 23},
        {{2, 17, 32}, 121, 139.51f, 139},
    };
    for (const Run& run : runs) {
        ResetGameRecords();
        Launch();
        EXPECT_EQ(FlyUntilLanded(run.boostSteps), run.landingStep);
        EXPECT_EQ(gameState.phase, PHASE_LANDED);
        EXPECT_NEAR(gameState.posX, run.distance, 0.005f);
        EXPECT_EQ(static_cast<int>(gameState.posX), run.score);
        EXPECT_EQ(gameState.posY, GROUND_HEIGHT);
        EXPECT_EQ(gameState.boostsLeft, 3 - static_cast<int>(run.boostSteps.size()));
    }
}

TEST_F(GameRules, LandingClampsHeightAndKeepsTheStepsX) {
    Launch();
    float xBefore = 0;
    float predicted = 0;
    while (gameState.phase == PHASE_FLIGHT) {
        xBefore = gameState.posX;
        predicted = gameState.posY + gameState.velY;
        Step();
    }
    EXPECT_LT(predicted, GROUND_HEIGHT);  // the step would have gone lower
    EXPECT_EQ(gameState.posY, GROUND_HEIGHT);
    EXPECT_GT(gameState.posX, xBefore);  // the landing step still moved
    const float landedX = gameState.posX;
    Step();
    Step();
    EXPECT_EQ(gameState.posX, landedX);  // nothing moves once landed
}

TEST_F(GameRules, LandsOnReachingTheGroundLine) {
    struct Case {
        float posY;
        float velY;
        bool lands;
    };
    const Case cases[] = {{-14, -1, true}, {-14, -0.5f, false}, {-14, -3, true}};
    for (const Case& c : cases) {
        ResetGameRecords();
        Launch();
        gameState.posY = c.posY;
        gameState.velY = c.velY;
        Step();
        EXPECT_EQ(gameState.phase, c.lands ? PHASE_LANDED : PHASE_FLIGHT) << c.posY << " " << c.velY;
        if (c.lands) {
            EXPECT_EQ(gameState.posY, GROUND_HEIGHT);
        }
    }
}

TEST_F(GameRules, SpaceAndReturnTogetherOnTheTitleLaunchAndBoost) {
    Step();
    Step({.space = KEY_PRESSED, .enter = KEY_PRESSED});
    EXPECT_EQ(gameState.phase, PHASE_FLIGHT);
    EXPECT_EQ(gameState.posX, 1.0f);  // moved in the same step
    EXPECT_EQ(gameState.posY, LAUNCH_HEIGHT);
    EXPECT_EQ(gameState.boostsLeft, 2);
    EXPECT_EQ(gameState.boostTimer, BOOST_COOLDOWN);
    EXPECT_EQ(gameState.puffY, LAUNCH_HEIGHT - PUFF_DROP);
}

TEST_F(GameRules, SpaceInReadyDoesNotBoost) {
    Step();
    Step({.space = KEY_PRESSED});
    Step({.space = KEY_RELEASED});
    Step({.space = KEY_PRESSED});
    EXPECT_EQ(gameState.phase, PHASE_READY);
    EXPECT_EQ(gameState.boostsLeft, 3);
    EXPECT_EQ(gameState.velY, 0.0f);
}

TEST_F(GameRules, BoostSpacing) {
    struct Case {
        const char* name;
        KeyState steering;
        int spacing;
    };
    const Case cases[] = {{"no steering", KEY_UP, 15}, {"keypad 4 held", KEY_HELD, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGameRecords();
        Launch({.space = KEY_PRESSED, .numpad4 = c.steering});
        ASSERT_EQ(gameState.boostsLeft, 2);
        int next = 0;
        for (int k = 1; k <= 20 && next == 0; ++k) {
            Step({.space = KEY_PRESSED, .numpad4 = c.steering});
            if (gameState.boostsLeft == 1) {
                next = k;
            }
        }
        EXPECT_EQ(next, c.spacing);
    }
}

TEST_F(GameRules, AFourthBoostDoesNothing) {
    Launch({.space = KEY_PRESSED});
    for (int k = 0; k < 60 && gameState.phase == PHASE_FLIGHT; ++k) {
        Step({.space = KEY_PRESSED});
    }
    EXPECT_EQ(gameState.boostsLeft, 0);
}

TEST_F(GameRules, HeldSteeringReachesTheAimLimitOnTheTwelfthHeldStep) {
    struct Case {
        const char* name;
        bool forward;
        float limit;
    };
    const Case cases[] = {{"keypad 4", true, AIM_MIN}, {"keypad 6", false, AIM_MAX}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGameRecords();
        Step();
        Step({.space = KEY_PRESSED});
        const auto steer = [&](KeyState s) { Step(c.forward ? Keys{.numpad4 = s} : Keys{.numpad6 = s}); };
        steer(KEY_PRESSED);  // the first step of a hold does not steer
        EXPECT_EQ(gameState.aimAngle, AIM_START);
        for (int held = 1; held <= 11; ++held) {
            steer(KEY_HELD);
        }
        EXPECT_NE(gameState.aimAngle, c.limit);
        steer(KEY_HELD);
        EXPECT_EQ(gameState.aimAngle, c.limit);
        steer(KEY_HELD);
        EXPECT_EQ(gameState.aimAngle, c.limit);
    }
    EXPECT_FLOAT_EQ(AIM_MIN, 3.141592f);
}

TEST_F(GameRules, BothSteeringKeysCancel) {
    Step();
    Step({.space = KEY_PRESSED});
    Step({.numpad4 = KEY_HELD, .numpad6 = KEY_HELD});
    EXPECT_EQ(gameState.aimAngle, AIM_START);
}

TEST_F(GameRules, CameraFollowsWithinItsLimits) {
    struct Case {
        float posX;
        float cameraX;
    };
    const Case cases[] = {{0, 30}, {29.99f, 30}, {30.5f, 30.5f}, {141, 141}, {141.5f, 141}, {500, 141}};
    for (const Case& c : cases) {
        ResetGameRecords();
        Step();
        Step({.space = KEY_PRESSED});
        gameState.posX = c.posX;
        Step();
        EXPECT_EQ(gameState.cameraX, c.cameraX) << c.posX;
    }
}

TEST_F(GameRules, ReturnAfterLandingShowsTheTitleAndResetsNextStep) {
    Launch({.space = KEY_PRESSED, .numpad4 = KEY_HELD});
    FlyUntilLanded({});
    ASSERT_EQ(gameState.phase, PHASE_LANDED);
    const float puffX = gameState.puffX;
    const float aim = gameState.aimAngle;
    ASSERT_NE(aim, AIM_START);

    Step({.enter = KEY_PRESSED});
    EXPECT_EQ(gameState.phase, PHASE_TITLE);
    EXPECT_EQ(gameState.boostsLeft, 2);  // not yet reset
    EXPECT_EQ(gameState.aimAngle, aim);

    Step();
    EXPECT_EQ(gameState.phase, PHASE_TITLE);
    EXPECT_EQ(gameState.boostsLeft, 3);
    EXPECT_EQ(gameState.aimAngle, AIM_START);
    EXPECT_EQ(gameState.posX, 0.0f);
    EXPECT_EQ(gameState.posY, 0.0f);
    EXPECT_EQ(gameState.cameraX, 0.0f);
    EXPECT_EQ(gameState.puffX, puffX);  // the puff is left alone
}

TEST_F(GameRules, PuffStaysFrozenAfterLandingUntilSteeringRunsItOut) {
    Launch();
    // Boost late enough that the puff is still alive at the landing.
    while (gameState.posY > GROUND_HEIGHT + 2) {
        Step();
    }
    Step({.space = KEY_PRESSED});
    FlyUntilLanded({});
    ASSERT_EQ(gameState.phase, PHASE_LANDED);
    const int8_t timer = gameState.boostTimer;
    ASSERT_GT(timer, 0);
    const float puffX = gameState.puffX;
    Step();
    EXPECT_EQ(gameState.boostTimer, timer);
    EXPECT_EQ(gameState.puffX, puffX);
    for (int k = 0; k < timer; ++k) {
        Step({.numpad6 = KEY_HELD});
    }
    EXPECT_EQ(gameState.boostTimer, 0);
}

}  // namespace
