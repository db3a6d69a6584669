#include <gtest/gtest.h>

#include <d3d8.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "game/game_state.h"
#include "input/key_tracker.h"
#include "platform_fakes.h"
#include "recording_objects.h"
#include "render/render_frame.h"
#include "shell/frame_clock.h"
#include "shell/frame_loop.h"
#include "shell/shell_state.h"
#include "shell/startup.h"
#include "support/test_paths.h"

namespace {

TEST(CommandLine, FullScreenSwitch) {
    struct Case {
        std::string line;
        bool fullScreen;
    };
    const Case cases[] = {
        {"", false},
        {"-f", true},
        {"-F", false},
        {"--fast", true},  // inside a longer word
        {"C:\\games\\my-folder\\x", true},
        {"-x -g f-", false},
        {"-", false},
        {std::string(98, ' ') + "-f", true},   // minus at index 98
        {std::string(99, ' ') + "-f", false},  // minus at index 99
        {std::string(150, 'a') + "-f", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScanFullScreenSwitch(c.line.c_str()), c.fullScreen) << '"' << c.line << '"';
    }
    EXPECT_FALSE(ScanFullScreenSwitch(nullptr));
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameRecords();
        fakes::ResetPlatform();
        baseline_ = fakes::LiveObjects();
        fakes::CaptureMessageBoxes();
    }

    void TearDown() override {
        fakes::StopCapturingMessageBoxes();
        ShutDown();
        if (shellState.window != nullptr) {
            DestroyWindow(shellState.window);
        }
        fakes::UseDefaultDevice();
        fakes::DetachJoysticks();
        EXPECT_EQ(fakes::LiveObjects(), baseline_);
        ResetGameRecords();
    }

    static D3DDEVTYPE DeviceType() {
        D3DCAPS8 caps = {};
        shellState.device->GetDeviceCaps(&caps);
        return caps.DeviceType;
    }

    int baseline_ = 0;
};

using Attempt = std::pair<D3DDEVTYPE, DWORD>;
constexpr Attempt HAL_HARDWARE = {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING};
constexpr Attempt HAL_SOFTWARE = {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING};
constexpr Attempt REF_SOFTWARE = {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING};

TEST_F(Startup, DeviceFallsBackInOrder) {
    struct Case {
        const char* name;
        std::vector<Attempt> faults;
        std::vector<Attempt> attempts;
        D3DDEVTYPE created;
    };
    const Case cases[] = {
        {"hardware vertex processing", {}, {HAL_HARDWARE}, D3DDEVTYPE_HAL},
        {"software vertex processing on the HAL before the reference device",
         {HAL_HARDWARE},
         {HAL_HARDWARE, HAL_SOFTWARE},
         D3DDEVTYPE_HAL},
        {"reference device last",
         {HAL_HARDWARE, HAL_SOFTWARE},
         {HAL_HARDWARE, HAL_SOFTWARE, REF_SOFTWARE},
         D3DDEVTYPE_REF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::UseDefaultDevice();
        for (const auto& [type, behaviour] : c.faults) {
            fakes::FailCreateDevice(type, behaviour);
        }
        ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), ""));
        ASSERT_NE(shellState.device, nullptr);
        EXPECT_EQ(DeviceType(), c.created);

        const std::vector<fakes::DeviceAttempt> attempts = fakes::DeviceAttempts();
        ASSERT_EQ(attempts.size(), c.attempts.size());
        for (size_t i = 0; i < attempts.size(); ++i) {
            EXPECT_EQ(attempts[i].type, c.attempts[i].first) << i;
            EXPECT_EQ(attempts[i].behaviour, c.attempts[i].second) << i;
            EXPECT_EQ(attempts[i].focusWindow, shellState.window);
            EXPECT_EQ(std::memcmp(&attempts[i].params, &shellState.presentParams, sizeof(D3DPRESENT_PARAMETERS)), 0);
            EXPECT_EQ(attempts[i].succeeded, i + 1 == attempts.size());
        }
        ShutDown();
        DestroyWindow(shellState.window);
        shellState.window = nullptr;
    }
    EXPECT_TRUE(fakes::StopCapturingMessageBoxes().empty());
}

TEST_F(Startup, NoDeviceAtAllTellsTheUserAndReleasesDirect3D) {
    for (const auto& [type, behaviour] : {HAL_HARDWARE, HAL_SOFTWARE, REF_SOFTWARE}) {
        fakes::FailCreateDevice(type, behaviour);
    }
    char commandLine[] = "";
    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL), 0);
    EXPECT_EQ(fakes::DeviceAttempts().size(), 3u);
    const std::vector<fakes::ShownBox> boxes = fakes::StopCapturingMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Direct3D の初期化に失敗しました。");
    EXPECT_EQ(boxes[0].caption, "tovlen bounce");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(shellState.direct3d, nullptr);
    EXPECT_EQ(shellState.device, nullptr);
    EXPECT_NE(shellState.window, nullptr);  // left for the process to take away
    EXPECT_EQ(fakes::LiveObjects(), baseline_ + 1);
}

TEST_F(Startup, WithoutADisplayTheDeviceFailureIsToldAndTheGameEnds) {
    // ctest runs the tests on SDL's dummy driver: no display a player could see.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver == nullptr || std::string(driver) != "dummy") {
        GTEST_SKIP() << "needs SDL's dummy video driver";
    }
    fakes::RequireDisplay();
    char commandLine[] = "";
    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL), 0);
    EXPECT_EQ(fakes::DeviceAttempts().size(), 3u);
    const std::vector<fakes::ShownBox> boxes = fakes::StopCapturingMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Direct3D の初期化に失敗しました。");
    EXPECT_EQ(boxes[0].caption, "tovlen bounce");
    EXPECT_EQ(shellState.direct3d, nullptr);
    EXPECT_EQ(shellState.device, nullptr);
}

TEST_F(Startup, NoDirect3DTellsTheUserBeforeCreatingAnything) {
    fakes::FailDirect3DCreate();
    char commandLine[] = "-f";
    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL), 0);
    const std::vector<fakes::ShownBox> boxes = fakes::StopCapturingMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Direct3D の作成に失敗しました。");
    EXPECT_EQ(boxes[0].caption, "Base");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(shellState.window, nullptr);
    EXPECT_EQ(fakes::LiveObjects(), baseline_);
}

TEST_F(Startup, WindowAndPresentParameters) {
    struct Case {
        const char* commandLine;
        bool fullScreen;
    };
    for (const Case& c : {Case{"", false}, Case{"-f", true}}) {
        SCOPED_TRACE(c.commandLine);
        ResetGameRecords();
        ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), c.commandLine));
        EXPECT_EQ(shellState.fullScreen, c.fullScreen);
        const D3DPRESENT_PARAMETERS& p = shellState.presentParams;
        EXPECT_EQ(p.BackBufferWidth, 640u);
        EXPECT_EQ(p.BackBufferHeight, 480u);
        EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_FLIP);
        EXPECT_EQ(p.EnableAutoDepthStencil, TRUE);
        EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D16);
        EXPECT_EQ(p.hDeviceWindow, nullptr);
        EXPECT_EQ(p.Windowed, c.fullScreen ? FALSE : TRUE);
        if (c.fullScreen) {
            EXPECT_EQ(p.BackBufferFormat, D3DFMT_R5G6B5);
        } else {
            D3DDISPLAYMODE mode = {};
            shellState.direct3d->GetAdapterDisplayMode(0, &mode);
            EXPECT_EQ(p.BackBufferFormat, mode.Format);
            RECT client = {};
            GetClientRect(shellState.window, &client);
            EXPECT_EQ(client.right - client.left, 640);
            EXPECT_EQ(client.bottom - client.top, 480);
        }
        ShutDown();
        DestroyWindow(shellState.window);
        shellState.window = nullptr;
    }
}

TEST_F(Startup, ControllerIsTheFirstAttachedOne) {
    struct Case {
        int attached;
        bool ready;
    };
    int withoutController = -1;
    for (const Case& c : {Case{0, false}, Case{1, true}, Case{2, true}}) {
        SCOPED_TRACE(c.attached);
        fakes::AttachJoysticks(c.attached);
        ResetGameRecords();
        const int before = fakes::LiveObjects();
        ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), ""));
        EXPECT_NE(shellState.directInput, nullptr);
        EXPECT_EQ(shellState.controllerReady, c.ready);
        EXPECT_EQ(shellState.controller != nullptr, c.attached > 0);
        // At most one controller is opened, however many are attached.
        const int created = fakes::LiveObjects() - before;
        if (c.attached == 0) {
            withoutController = created;
        } else {
            EXPECT_EQ(created, withoutController + 1);
        }
        ShutDown();
        DestroyWindow(shellState.window);
        shellState.window = nullptr;
        EXPECT_EQ(fakes::LiveObjects(), before);
        fakes::DetachJoysticks();
    }
}

TEST_F(Startup, ShutdownReleasesEachObjectOnceInOrder) {
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), ""));
    ReleaseLog log;
    DeviceRecord deviceRecord{&log};
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(shellState.device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
        shellState.textures[slot] = RecordingTexture(texture, "texture " + std::to_string(slot), &log);
    }
    shellState.device = RecordingDevice(shellState.device, "device", &deviceRecord);
    shellState.direct3d = RecordingDirect3D(shellState.direct3d, "direct3d", &log);
    shellState.directInput = RecordingDirectInput(shellState.directInput, "directInput", &log);
    shellState.controller = RecordingController(shellState.controller, "controller", &log);

    ShutDown();
    EXPECT_EQ(log,
              (ReleaseLog{"texture 0", "texture 1", "texture 2", "device", "direct3d", "directInput", "controller"}));
    EXPECT_EQ(shellState.device, nullptr);
    EXPECT_EQ(shellState.direct3d, nullptr);
    EXPECT_EQ(shellState.directInput, nullptr);
    EXPECT_EQ(shellState.controller, nullptr);
    for (IDirect3DTexture8* texture : shellState.textures) {
        EXPECT_EQ(texture, nullptr);
    }
    ShutDown();  // nothing left to release a second time
    EXPECT_EQ(log.size(), 7u);
    EXPECT_EQ(fakes::LiveObjects(), baseline_ + 1);  // the window only
}

TEST_F(Startup, ALongInformationBoxCostsTheNextStepItsPicture) {
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), ""));
    ReleaseLog log;
    DeviceRecord record{&log};
    shellState.device = RecordingDevice(shellState.device, "device", &record);
    fakes::SetMilliseconds(1000, 1);
    fakes::SetCalendarSeconds(1700000000);
    RunFrame();  // renders; the first wait ends at once
    RunFrame();  // no picture; waits out its period
    ASSERT_FALSE(frameClock.skipRender);
    const uint8_t skipsBefore = frameClock.skipsThisSecond;

    fakes::StopCapturingMessageBoxes();
    fakes::CaptureMessageBoxes([] { fakes::AdvanceMilliseconds(5000); });
    fakes::PostKey(shellState.window, VK_NUMPAD0, true);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    log.clear();
    RunFrame();  // shows the box, still renders
    EXPECT_EQ(fakes::StopCapturingMessageBoxes().size(), 1u);
    EXPECT_TRUE(frameClock.skipRender);
    EXPECT_EQ(frameClock.skipsThisSecond, skipsBefore + 1);
    RunFrame();  // updates but shows nothing
    EXPECT_EQ(log, ReleaseLog{"Present"});
    EXPECT_FALSE(frameClock.skipRender);

    fakes::UseRealMilliseconds();
    fakes::UseRealCalendar();
    ShutDown();  // while the log is still here
}

TEST_F(Startup, CloseDuringTheInformationBoxEndsTheLoopAfterIt) {
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), ""));
    fakes::SetMilliseconds(1000, 1);
    int framesInBox = -1;
    fakes::StopCapturingMessageBoxes();
    fakes::CaptureMessageBoxes([&] {
        // The box's own loop dispatches the close request.
        framesInBox = frameClock.framesThisSecond;
        PostMessageA(shellState.window, WM_CLOSE, 0, 0);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        EXPECT_TRUE(shellState.quitRequested);
    });
    fakes::PostKey(shellState.window, VK_NUMPAD0, true);
    RunMessageLoop();
    fakes::UseRealMilliseconds();
    const std::vector<fakes::ShownBox> boxes = fakes::StopCapturingMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "tovlen bounce");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(shellState.quitRequested);
    RECT client = {};
    EXPECT_TRUE(GetClientRect(shellState.window, &client));  // the close did not destroy the window
    // The step that showed the box still finished: it was counted.
    EXPECT_EQ(frameClock.framesLastSecond + frameClock.framesThisSecond, 1);
    EXPECT_EQ(framesInBox, 0);
    fakes::PostKey(shellState.window, VK_NUMPAD0, false);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

}  // namespace

namespace {

// Runs start-up in a folder holding the listed game pictures, copied from
// the game's own data.
class StartupWithPictures : public Startup {
protected:
    void EnterFolderWith(std::initializer_list<const char*> files) {
        const std::filesystem::path data = std::filesystem::path(test_support::SourceDir()) / "data";
        folder_ = test_support::MakeTempDir();
        for (const char* file : files) {
            std::filesystem::copy_file(data / file, std::filesystem::path(folder_) / file);
        }
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
    }

    void TearDown() override {
        Startup::TearDown();
        if (!previous_.empty()) {
            std::filesystem::current_path(previous_);
        }
        if (!folder_.empty()) {
            std::filesystem::remove_all(folder_);
        }
    }

    static UINT Width(IDirect3DTexture8* texture) {
        D3DSURFACE_DESC desc = {};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        return desc.Width;
    }

    std::string folder_;
    std::filesystem::path previous_;
};

TEST_F(StartupWithPictures, LoadsTheThreePictures) {
    EnterFolderWith({"texture1.dds", "title.qmd", "bg.qmd"});
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), ""));
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
        ASSERT_NE(shellState.textures[slot], nullptr) << TEXTURE_FILES[slot];
    }
    EXPECT_EQ(Width(shellState.textures[TEXTURE_ATLAS]), 256u);
    EXPECT_EQ(Width(shellState.textures[TEXTURE_TITLE]), 640u);
    EXPECT_EQ(Width(shellState.textures[TEXTURE_BACKGROUND]), 1024u);
    EXPECT_EQ(shellState.textures[TEXTURE_ATLAS]->GetLevelCount(), 9u);  // 256 x 256, full chain
}

TEST_F(StartupWithPictures, AMissingBackdropLeavesItsSlotEmpty) {
    EnterFolderWith({"texture1.dds", "title.qmd"});
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), ""));
    EXPECT_NE(shellState.textures[TEXTURE_ATLAS], nullptr);
    EXPECT_NE(shellState.textures[TEXTURE_TITLE], nullptr);
    EXPECT_EQ(shellState.textures[TEXTURE_BACKGROUND], nullptr);
    // The game runs on and draws with the empty slot.
    gameState.phase = PHASE_READY;
    RenderFrame();
    EXPECT_TRUE(fakes::StopCapturingMessageBoxes().empty());
}

}  // namespace
