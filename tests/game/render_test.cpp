#include <gtest/gtest.h>

#include <d3d8.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/game_state.h"
#include "platform_fakes.h"
#include "recording_objects.h"
#include "render/render_frame.h"
#include "shell/shell_state.h"
#include "shell/startup.h"

namespace {

struct Rgb {
    int r;
    int g;
    int b;
};

bool Near(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8;
}

std::ostream& operator<<(std::ostream& out, Rgb c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// A distinct, saturated colour per atlas cell.
Rgb CellColour(int cell) {
    static const Rgb colours[16] = {
        // clang-format off
        {255, 0, 0},   {0, 255, 0},     {0, 0, 255},     {255, 255, 0},   {255, 0, 255}, {0, 255, 255},
        {128, 0, 0},   {0, 128, 0},     {0, 0, 128},     {128, 128, 0},   {255, 128, 0}, {128, 0, 255},
        {0, 128, 255}, {255, 255, 255}, {160, 160, 160}, {64, 160, 64},
        // clang-format on
    };
    return colours[cell];
}

constexpr Rgb CLEAR = {0x00, 0x40, 0x40};
constexpr Rgb TITLE = {200, 30, 120};
constexpr Rgb BACKDROP = {90, 90, 90};
constexpr Rgb WHITE = {255, 255, 255};

class Rendering : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameRecords();
        fakes::ResetPlatform();
        fakes::CaptureMessageBoxes();
        ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), ""));
        // 32 x 32 texels per cell.
        shellState.textures[TEXTURE_ATLAS] =
            MakeTexture(128, [](int x, int y) { return CellColour(y / 32 * 4 + x / 32); });
        shellState.textures[TEXTURE_TITLE] = MakeTexture(64, [](int, int) { return TITLE; });
        shellState.textures[TEXTURE_BACKGROUND] = MakeTexture(64, [](int, int) { return BACKDROP; });
    }

    void TearDown() override {
        fakes::StopCapturingMessageBoxes();
        ShutDown();
        DestroyWindow(shellState.window);
        ResetGameRecords();
    }

    template <typename Fill>
    static IDirect3DTexture8* MakeTexture(int size, Fill fill) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(shellState.device->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
        if (texture == nullptr) {
            return nullptr;
        }
        D3DLOCKED_RECT locked = {};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
        for (int y = 0; y < size; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < size; ++x) {
                const Rgb c = fill(x, y);
                row[x] = 0xFF000000u | (c.r << 16) | (c.g << 8) | c.b;
            }
        }
        texture->UnlockRect(0);
        return texture;
    }

    // Renders twice so that the back buffer holds the picture whatever the
    // swap does with it, then reads it.
    void Render() {
        RenderFrame();
        RenderFrame();
        IDirect3DSurface8* back = nullptr;
        ASSERT_EQ(shellState.device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
        D3DSURFACE_DESC desc = {};
        back->GetDesc(&desc);
        ASSERT_EQ(desc.Width, 640u);
        ASSERT_EQ(desc.Height, 480u);
        D3DLOCKED_RECT locked = {};
        ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
        pixels_.assign(640 * 480, Rgb{});
        for (int y = 0; y < 480; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch;
            for (int x = 0; x < 640; ++x) {
                if (desc.Format == D3DFMT_R5G6B5) {
                    const uint16_t p = reinterpret_cast<const uint16_t*>(row)[x];
                    pixels_[y * 640 + x] = {(p >> 11) * 255 / 31, ((p >> 5) & 63) * 255 / 63, (p & 31) * 255 / 31};
                } else {
                    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
                    pixels_[y * 640 + x] = {static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255),
                                            static_cast<int>(p & 255)};
                }
            }
        }
        back->UnlockRect();
        back->Release();
    }

    Rgb At(int x, int y) const { return pixels_[y * 640 + x]; }

    void ExpectColour(int x, int y, Rgb expected, const char* what) const {
        EXPECT_TRUE(Near(At(x, y), expected))
            << what << " at (" << x << ", " << y << "): " << At(x, y) << " expected " << expected;
    }

    static void EnterReady() {
        gameState.phase = PHASE_READY;
        gameState.resetPending = 0;
        gameState.aimAngle = AIM_START;
        gameState.boostsLeft = 3;
        gameState.posY = LAUNCH_HEIGHT;
        gameState.cameraX = CAMERA_MIN_X;
    }

    std::vector<Rgb> pixels_;
};

TEST_F(Rendering, ReadyPhaseScene) {
    EnterReady();
    gameState.boostsLeft = 2;
    Render();
    ExpectColour(65, 96, CellColour(CELL_BODY), "body");
    ExpectColour(586, 54, CellColour(CELL_ARROW), "aim arrow");
    ExpectColour(580, 440, CellColour(2), "boost count");
    ExpectColour(320, 240, BACKDROP, "backdrop");
    for (int x : {10, 320, 500}) {
        ExpectColour(x, 20, CLEAR, "band above the backdrop");
        ExpectColour(x, 465, CLEAR, "band below the backdrop");
    }
    ExpectColour(320, 50, BACKDROP, "backdrop top");
    ExpectColour(320, 430, BACKDROP, "backdrop bottom");
}

TEST_F(Rendering, LandedDistanceDigitsAndLabel) {
    struct Case {
        float posX;
        std::vector<int> digits;  // leftmost first; the units digit sits at x 320
    };
    const Case cases[] = {{57.9f, {5, 7}}, {7.2f, {0, 7}}, {100.0f, {1, 0, 0}}, {139.51f, {1, 3, 9}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.posX);
        EnterReady();
        gameState.phase = PHASE_LANDED;
        gameState.posX = c.posX;
        gameState.posY = GROUND_HEIGHT;
        Render();
        const int count = static_cast<int>(c.digits.size());
        for (int i = 0; i < count; ++i) {
            ExpectColour(320 - 40 * (count - 1 - i), 240, CellColour(c.digits[i]), "digit");
        }
        ExpectColour(360, 240, CellColour(CELL_LABEL), "label");
        // Nothing left of the leading digit but the scene.
        EXPECT_FALSE(Near(At(320 - 40 * count, 240), CellColour(0))) << At(320 - 40 * count, 240);
    }
}

TEST_F(Rendering, PuffShowsOnlyWhileTheBoostTimerRuns) {
    EnterReady();
    gameState.phase = PHASE_FLIGHT;
    gameState.posX = 30;  // body in the middle of the view, away from the puff
    gameState.puffX = 10;
    gameState.puffY = -5;
    gameState.puffAngle = AIM_START;
    gameState.boostTimer = 5;
    Render();
    // (10, -5) at depth 48 from a camera at x 30.
    const int px = static_cast<int>(320 + (10.0f - 30) * 320 * 1.7320512f / 1.33f / 48);
    const int py = static_cast<int>(240 + 5.0f * 240 * 1.7320512f / 48);
    ExpectColour(px, py, CellColour(CELL_PUFF), "puff");
    gameState.boostTimer = 0;
    Render();
    ExpectColour(px, py, BACKDROP, "no puff");
}

TEST_F(Rendering, TitleCoversTheWholeBackBuffer) {
    gameState.phase = PHASE_TITLE;
    gameState.resetPending = 0;
    Render();
    for (int y : {0, 1, 240, 478, 479}) {
        for (int x : {0, 1, 320, 638, 639}) {
            ExpectColour(x, y, TITLE, "title");
        }
    }
}

TEST_F(Rendering, EmptyBackdropSlotDrawsWhite) {
    shellState.textures[TEXTURE_BACKGROUND]->Release();
    shellState.textures[TEXTURE_BACKGROUND] = nullptr;
    EnterReady();
    Render();
    ExpectColour(320, 240, WHITE, "untextured backdrop");
    ExpectColour(65, 96, CellColour(CELL_BODY), "body");
}

TEST_F(Rendering, FailedPresentResetsWithTheCreationParameters) {
    ReleaseLog log;
    DeviceRecord record{&log, D3DERR_DEVICELOST};
    shellState.device = RecordingDevice(shellState.device, "device", &record);
    EnterReady();
    RenderFrame();
    record.presentResult = S_OK;
    RenderFrame();
    EXPECT_EQ(log, (ReleaseLog{"Present", "Reset", "Present"}));
    EXPECT_EQ(record.lastResetParams, &shellState.presentParams);
    ShutDown();  // while the log is still here
}

}  // namespace
