#include "d3d8_fixture.h"

namespace {

using Device = D3D8Test;

TEST(Direct3DCreate, OnlyTheSdkVersionIsAccepted) {
    EXPECT_EQ(Direct3DCreate8(119), nullptr);
    EXPECT_EQ(Direct3DCreate8(220), nullptr);
    IDirect3D8* d3d = Direct3DCreate8(120);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST_F(Device, CreateDeviceChecksItsArguments) {
    struct Case {
        UINT adapter;
        D3DDEVTYPE type;
        DWORD flags;
        HRESULT expected;
    } cases[] = {
        {0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3D_OK},
        {0, D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3D_OK},
        {0, D3DDEVTYPE_HAL, D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE, D3D_OK},
        {1, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DERR_INVALIDCALL},
        {0, D3DDEVTYPE_SW, D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DERR_INVALIDCALL},
        {0, D3DDEVTYPE_HAL, 0, D3DERR_INVALIDCALL},
        {0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING,
         D3DERR_INVALIDCALL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << " flags " << c.flags);
        D3DPRESENT_PARAMETERS p = Params();
        IDirect3DDevice8* device = nullptr;
        EXPECT_EQ(d3d_->CreateDevice(c.adapter, c.type, nullptr, c.flags, &p, &device), c.expected);
        if (device != nullptr) {
            EXPECT_EQ(device->Release(), 0u);
        }
    }
}

TEST_F(Device, BackBufferFormatsFollowTheWindowMode) {
    D3DDISPLAYMODE mode;
    d3d_->GetAdapterDisplayMode(0, &mode);
    struct Case {
        D3DFORMAT requested;
        BOOL windowed;
        D3DFORMAT expected;
    } cases[] = {
        {D3DFMT_UNKNOWN, TRUE, mode.Format},
        {D3DFMT_R5G6B5, TRUE, D3DFMT_R5G6B5},
        {D3DFMT_R5G6B5, FALSE, D3DFMT_R5G6B5},
        {D3DFMT_X8R8G8B8, FALSE, D3DFMT_X8R8G8B8},
    };
    for (const auto& c : cases) {
        D3DPRESENT_PARAMETERS p = Params(c.requested, c.windowed);
        IDirect3DDevice8* device = nullptr;
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device),
                  D3D_OK);
        IDirect3DSurface8* back = nullptr;
        ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        D3DSURFACE_DESC desc;
        back->GetDesc(&desc);
        EXPECT_EQ(desc.Format, c.expected);
        EXPECT_EQ(desc.Width, 640u);
        EXPECT_EQ(desc.Height, 480u);
        back->Release();
        IDirect3DSurface8* depth = nullptr;
        ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
        depth->GetDesc(&desc);
        EXPECT_EQ(desc.Format, D3DFMT_D16);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(depth->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
        depth->Release();
        EXPECT_EQ(device->Release(), 0u);
    }
    D3DPRESENT_PARAMETERS unknownFullScreen = Params(D3DFMT_UNKNOWN, FALSE);
    IDirect3DDevice8* device = nullptr;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &unknownFullScreen,
                                 &device),
              D3DERR_INVALIDCALL);
}

TEST_F(Device, InjectedCreateDeviceFailuresAndTheAttemptLog) {
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    profile.createDeviceFails = [](D3DDEVTYPE type, DWORD flags) {
        return type == D3DDEVTYPE_HAL && (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0;
    };
    platform_testing::SetDeviceProfile(profile);
    D3DPRESENT_PARAMETERS p = Params();
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device_, nullptr);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_),
              D3D_OK);
    const auto attempts = platform_testing::CreateDeviceAttempts();
    ASSERT_EQ(attempts.size(), 2u);
    EXPECT_EQ(attempts[0].behaviorFlags, DWORD{D3DCREATE_HARDWARE_VERTEXPROCESSING});
    EXPECT_EQ(attempts[0].result, D3DERR_NOTAVAILABLE);
    EXPECT_EQ(attempts[1].deviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(attempts[1].presentParameters.BackBufferWidth, 640u);
    EXPECT_EQ(attempts[1].result, D3D_OK);

    profile = platform_testing::DefaultDeviceProfile();
    profile.failFirstCreateDevices = 3;  // counts the two attempts above
    platform_testing::SetDeviceProfile(profile);
    IDirect3DDevice8* other = nullptr;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &other),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &other), D3D_OK);
    ASSERT_NE(other, nullptr);
    other->Release();
}

TEST_F(Device, WithoutADisplayOnlyOffscreenDevicesAreMade) {
    // ctest runs the device tests on SDL's dummy driver, which shows nothing.
    const char* driver = SDL_getenv("SDL_VIDEODRIVER");
    if (driver == nullptr || std::string(driver) != "dummy") {
        GTEST_SKIP() << "needs SDL's dummy video driver";
    }
    D3DPRESENT_PARAMETERS p = Params();
    platform::AllowOffscreenDevices(false);
    // A device for a window, as the game makes it, is refused where nothing can be seen.
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "BASE";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(0, "BASE", "", 0, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    for (const D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
        EXPECT_EQ(d3d_->CreateDevice(0, type, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_),
                  D3DERR_NOTAVAILABLE);
        EXPECT_EQ(device_, nullptr);
    }
    // A bad call is still told so first.
    EXPECT_EQ(d3d_->CreateDevice(1, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_),
              D3DERR_INVALIDCALL);
    // Nor is a device without a window once the program has tried to open one
    // (a game whose window failed must not run invisibly).
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_),
              D3DERR_NOTAVAILABLE);
    platform::AllowOffscreenDevices(true);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_),
              D3D_OK);
    const auto attempts = platform_testing::CreateDeviceAttempts();
    ASSERT_EQ(attempts.size(), 5u);
    EXPECT_EQ(attempts[0].result, D3DERR_NOTAVAILABLE);
    EXPECT_EQ(attempts[3].result, D3DERR_NOTAVAILABLE);
    EXPECT_EQ(attempts[4].result, D3D_OK);
    device_->Release();
    device_ = nullptr;
    DestroyWindow(window);
}

TEST_F(Device, PresentLostUntilReset) {
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    profile.loseDeviceAtPresent = 2;
    profile.failResets = 1;
    platform_testing::SetDeviceProfile(profile);
    MakeDevice();
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    D3DPRESENT_PARAMETERS p = Params();
    EXPECT_EQ(device_->Reset(&p), D3DERR_DEVICELOST);  // the injected failed reset
    EXPECT_EQ(device_->Reset(&p), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(platform_testing::ResetCallCount(), 2);
    EXPECT_EQ(platform_testing::PresentCallCount(), 4);
}

TEST_F(Device, DefaultStatesAndResetRestoresThem) {
    MakeDevice();
    struct Case {
        D3DRENDERSTATETYPE state;
        DWORD expected;
    } cases[] = {
        // clang-format off
        {D3DRS_ZENABLE, D3DZB_TRUE},       {D3DRS_ZWRITEENABLE, TRUE},     {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_CULLMODE, D3DCULL_CCW},     {D3DRS_LIGHTING, TRUE},         {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},    {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        // clang-format on
    };
    for (const auto& c : cases) {
        DWORD value = 0;
        ASSERT_EQ(device_->GetRenderState(c.state, &value), D3D_OK);
        EXPECT_EQ(value, c.expected) << "state " << c.state;
        device_->SetRenderState(c.state, 12345);
    }
    DWORD op = 0;
    device_->GetTextureStageState(0, D3DTSS_COLOROP, &op);
    EXPECT_EQ(op, DWORD{D3DTOP_MODULATE});
    device_->GetTextureStageState(1, D3DTSS_COLOROP, &op);
    EXPECT_EQ(op, DWORD{D3DTOP_DISABLE});
    EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);

    D3DMATRIX m{};
    m._11 = 2;
    EXPECT_EQ(device_->SetTransform(D3DTS_PROJECTION, &m), D3D_OK);
    D3DMATRIX back{};
    EXPECT_EQ(device_->GetTransform(D3DTS_PROJECTION, &back), D3D_OK);
    EXPECT_EQ(back._11, 2.0f);
    EXPECT_EQ(device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(99), &m), D3DERR_INVALIDCALL);

    EXPECT_EQ(device_->SetVertexShader(0x142), D3D_OK);
    EXPECT_EQ(device_->SetVertexShader(0x144), D3D_OK);
    EXPECT_EQ(device_->SetVertexShader(0x144 | D3DFVF_NORMAL), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetVertexShader(0x242), D3DERR_INVALIDCALL);

    D3DPRESENT_PARAMETERS p = Params();
    ASSERT_EQ(device_->Reset(&p), D3D_OK);
    for (const auto& c : cases) {
        DWORD value = 0;
        device_->GetRenderState(c.state, &value);
        EXPECT_EQ(value, c.expected) << "state " << c.state;
    }
}

TEST_F(Device, SetTextureHoldsAReferenceUntilReplacedOrTheDeviceDies) {
    MakeDevice();
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
    EXPECT_EQ(texture->AddRef(), 3u);
    EXPECT_EQ(texture->Release(), 2u);
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    EXPECT_EQ(texture->AddRef(), 2u);
    texture->Release();

    // Bound when the device goes: the device lets it go, and the texture
    // outlives its device without trouble.
    device_->SetTexture(0, texture);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    IDirect3DDevice8* gone = nullptr;
    EXPECT_EQ(texture->GetDevice(&gone), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(Device, TheDeviceHoldsItsDirect3DObject) {
    MakeDevice();
    EXPECT_EQ(d3d_->Release(), 1u);  // the device still holds it
    IDirect3D8* parent = nullptr;
    ASSERT_EQ(device_->GetDirect3D(&parent), D3D_OK);
    d3d_ = parent;  // released by the fixture
}

TEST_F(Device, ClearChecksItsArgumentsAndFillsRectangles) {
    MakeDevice();
    EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF004040, 1.0f, 0), D3D_OK);
    const D3DRECT rects[2] = {{10, 10, 20, 20}, {630, 470, 700, 500}};
    ASSERT_EQ(device_->Clear(2, rects, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    const auto pixels = ReadBackBuffer();
    EXPECT_EQ(pixels[0], 0xFF004040u);
    EXPECT_EQ(pixels[10 * 640 + 10], 0xFFFF0000u);
    EXPECT_EQ(pixels[19 * 640 + 20], 0xFF004040u);
    EXPECT_EQ(pixels[479 * 640 + 639], 0xFFFF0000u);
}

}  // namespace
