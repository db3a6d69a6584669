// tovtex view: a window that shows image files as the library loads them,
// drawn by the Direct3D 8 device through the platform's window and
// messages, as the game uses them.

#include <getopt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <d3d8.h>
#include <mmsystem.h>
#include <windows.h>

#include "base/com_ref.h"
#include "cli.h"
#include "format_names.h"
#include "option_values.h"
#include "view_font.h"
#include "view_layout.h"
#include "view_texture.h"

namespace tovtex_tool {

namespace {

const char VIEW_HELP[] =
    "Usage: tovtex view [OPTIONS] FILE...\n"
    "Shows image files in a window as the library loads them (format, size and\n"
    "mip chain of its default operations; six faces make a cube texture, a\n"
    "volume DDS file a volume texture), drawn by the Direct3D 8 device with\n"
    "point filtering.\n"
    "\n"
    "  --window WxH   the window's client size (default 800x600)\n"
    "  -h, --help     show this help\n"
    "\n"
    "Keys: mouse wheel, + and - zoom; 1 shows one texel per pixel; 0 fits the\n"
    "window; drag with the left button to pan; [ and ] the previous and next\n"
    "mip level; F the next cube face; PageUp and PageDown the volume slice;\n"
    "A alpha over a checkerboard, alpha alone as grey, or colour alone;\n"
    "Left and Right the previous and next file; Escape quits.\n"
    "The line at the bottom names the file, reader, format, size, level, face\n"
    "and the texel under the mouse with its A8R8G8B8 value.\n";

constexpr char WINDOW_CLASS[] = "tovtex view";
constexpr char WINDOW_TITLE[] = "tovtex view";
constexpr int OVERLAY_HEIGHT = 16;
constexpr D3DCOLOR BACKGROUND = 0xFF303030;
constexpr DWORD REDRAW_MS = 250;  // drawn again now and then, as nothing tells of a lost picture
constexpr const char* FACE_NAMES[6] = {"+X", "-X", "+Y", "-Y", "+Z", "-Z"};

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD SCREEN_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct CubeVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v, w;
};
constexpr DWORD CUBE_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);

// How alpha is shown; A steps through them.
enum class AlphaView { CHECKERBOARD, CHANNEL, IGNORED };
constexpr const char* ALPHA_VIEW_NAMES[] = {"over checkerboard", "alpha as grey", "alpha ignored"};

// The direction that reaches face coordinates (a, b) in -1..1 (a along u,
// b along v) of a cube face, by the documented face orientation.
void CubeDirection(int face, float a, float b, float* out) {
    const float d[6][3] = {{1, -b, -a}, {-1, -b, a}, {a, 1, b}, {a, -1, -b}, {a, -b, 1}, {-a, -b, -1}};
    out[0] = d[face][0];
    out[1] = d[face][1];
    out[2] = d[face][2];
}

class Viewer {
public:
    Viewer(std::vector<std::string> files, int width, int height)
        : files_(std::move(files)), width_(width), height_(height) {}
    ~Viewer() { Close(); }
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // Opens the window and the device; false with a message when either fails.
    bool Open(std::string* message);
    void Run();
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Close();
    void ShowFile(size_t index);
    void ShowLevel(UINT level);
    void Fit();
    void KeyDown(WPARAM key);
    void Render();
    void DrawPicture(const D3DSURFACE_DESC& desc);
    void DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR diffuse, float u1, float v1);
    void UpdateOverlay();
    std::string OverlayText();
    int AreaHeight() const { return height_ > OVERLAY_HEIGHT ? height_ - OVERLAY_HEIGHT : height_; }

    std::vector<std::string> files_;
    int width_, height_;
    HWND window_ = nullptr;
    ComRef<IDirect3D8> direct3d_;
    ComRef<IDirect3DDevice8> device_;
    ComRef<IDirect3DTexture8> overlay_;
    ComRef<IDirect3DTexture8> checker_;
    ViewTexture texture_;
    size_t file_ = 0;
    UINT level_ = 0;
    UINT face_ = 0;
    UINT slice_ = 0;  // of a volume, in the level shown
    AlphaView alpha_ = AlphaView::CHECKERBOARD;
    ViewLayout layout_;
    int mouseX_ = -1, mouseY_ = -1;
    bool dragging_ = false;
    int dragX_ = 0, dragY_ = 0;
    bool quit_ = false;
    bool dirty_ = true;
    std::string overlayShown_;
};

Viewer* activeViewer = nullptr;

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return activeViewer != nullptr ? activeViewer->Handle(window, message, wParam, lParam)
                                   : DefWindowProcA(window, message, wParam, lParam);
}

bool Viewer::Open(std::string* message) {
    direct3d_.Reset();
    IDirect3D8* direct3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (direct3d == nullptr) {
        *message = "cannot create the Direct3D object";
        return false;
    }
    *direct3d_.Out() = direct3d;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ViewWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = WINDOW_CLASS;
    RegisterClassA(&windowClass);
    // Outer size that leaves the asked client area for this style.
    const int outerWidth = width_ + 2 * GetSystemMetrics(SM_CXDLGFRAME);
    const int outerHeight = height_ + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME);
    window_ = CreateWindowExA(0, WINDOW_CLASS, WINDOW_TITLE, WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                              CW_USEDEFAULT, outerWidth, outerHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window_ == nullptr) {
        *message = "cannot open a window (is there a display?)";
        return false;
    }
    D3DDISPLAYMODE mode = {};
    direct3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    D3DPRESENT_PARAMETERS params = {};
    params.BackBufferWidth = static_cast<UINT>(width_);
    params.BackBufferHeight = static_cast<UINT>(height_);
    params.BackBufferFormat = mode.Format;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    // The game's fallbacks: hardware, then software vertex processing, then
    // the reference device.
    const struct {
        D3DDEVTYPE type;
        DWORD behaviour;
    } attempts[] = {{D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
                    {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
                    {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING}};
    HRESULT hr = E_FAIL;
    for (const auto& attempt : attempts) {
        D3DPRESENT_PARAMETERS tried = params;
        hr = direct3d_->CreateDevice(D3DADAPTER_DEFAULT, attempt.type, window_, attempt.behaviour, &tried,
                                     device_.Out());
        if (SUCCEEDED(hr)) {
            break;
        }
    }
    if (FAILED(hr)) {
        *message = "cannot create the Direct3D device";
        return false;
    }
    hr = device_->CreateTexture(static_cast<UINT>(width_), OVERLAY_HEIGHT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                overlay_.Out());
    if (SUCCEEDED(hr)) {
        hr = device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, checker_.Out());
    }
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(hr) && SUCCEEDED(hr = checker_->LockRect(0, &locked, nullptr, 0))) {
        auto* rows = static_cast<BYTE*>(locked.pBits);
        reinterpret_cast<D3DCOLOR*>(rows)[0] = 0xFFC0C0C0;
        reinterpret_cast<D3DCOLOR*>(rows)[1] = 0xFF808080;
        reinterpret_cast<D3DCOLOR*>(rows + locked.Pitch)[0] = 0xFF808080;
        reinterpret_cast<D3DCOLOR*>(rows + locked.Pitch)[1] = 0xFFC0C0C0;
        checker_->UnlockRect(0);
    }
    if (FAILED(hr)) {
        *message = "cannot create the overlay textures";
        return false;
    }
    activeViewer = this;
    ShowFile(0);
    return true;
}

void Viewer::Close() {
    if (activeViewer == this) {
        activeViewer = nullptr;
    }
    texture_.Release();
    overlay_.Reset();
    checker_.Reset();
    device_.Reset();
    direct3d_.Reset();
    if (window_ != nullptr) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

void Viewer::Run() {
    DWORD lastDrawn = timeGetTime();
    while (!quit_) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        if (dirty_ || timeGetTime() - lastDrawn >= REDRAW_MS) {
            Render();
            dirty_ = false;
            lastDrawn = timeGetTime();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
}

void Viewer::ShowFile(size_t index) {
    file_ = index;
    texture_.Load(device_.Get(), files_[index]);
    if (FAILED(texture_.Result())) {
        std::fprintf(stderr, "%s\n", FileError(files_[index], texture_.Result(), texture_.Error()).c_str());
    }
    level_ = 0;
    face_ = 0;
    slice_ = 0;
    Fit();
}

void Viewer::Fit() {
    D3DSURFACE_DESC desc{};
    if (texture_.LevelDesc(level_, &desc)) {
        layout_ = ViewLayout::Fit(width_, AreaHeight(), static_cast<int>(desc.Width), static_cast<int>(desc.Height));
    }
    dirty_ = true;
}

void Viewer::ShowLevel(UINT level) {
    D3DSURFACE_DESC now{}, next{};
    if (level == level_ || !texture_.LevelDesc(level_, &now) || !texture_.LevelDesc(level, &next)) {
        return;
    }
    layout_.ChangeLevel(static_cast<int>(now.Width), static_cast<int>(next.Width));
    // The same depth of a volume, in the other level's slices.
    slice_ = std::min(slice_ * texture_.Depth(level) / texture_.Depth(level_), texture_.Depth(level) - 1);
    level_ = level;
    dirty_ = true;
}

void Viewer::KeyDown(WPARAM key) {
    const double centreX = width_ / 2.0, centreY = AreaHeight() / 2.0;
    switch (key) {
    case VK_ESCAPE: quit_ = true; break;
    case VK_OEM_PLUS:
    case VK_ADD: layout_.ZoomAbout(2.0, centreX, centreY); break;
    case VK_OEM_MINUS:
    case VK_SUBTRACT: layout_.ZoomAbout(0.5, centreX, centreY); break;
    case '1': layout_.OneToOne(width_, AreaHeight()); break;
    case '0': Fit(); break;
    case VK_OEM_4:
        if (level_ > 0) ShowLevel(level_ - 1);
        break;
    case VK_OEM_6: ShowLevel(level_ + 1); break;
    case 'F': face_ = (face_ + 1) % texture_.Faces(); break;
    case VK_PRIOR:
        if (slice_ > 0) --slice_;
        break;
    case VK_NEXT:
        if (slice_ + 1 < texture_.Depth(level_)) ++slice_;
        break;
    case 'A': alpha_ = static_cast<AlphaView>((static_cast<int>(alpha_) + 1) % 3); break;
    case VK_LEFT: ShowFile((file_ + files_.size() - 1) % files_.size()); break;
    case VK_RIGHT: ShowFile((file_ + 1) % files_.size()); break;
    default: return;
    }
    dirty_ = true;
}

LRESULT Viewer::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_CLOSE: quit_ = true; return 0;
    case WM_KEYDOWN: KeyDown(wParam); return 0;
    case WM_LBUTTONDOWN:
        dragging_ = true;
        dragX_ = x;
        dragY_ = y;
        return 0;
    case WM_LBUTTONUP: dragging_ = false; return 0;
    case WM_MOUSEMOVE:
        if (dragging_ && (wParam & MK_LBUTTON) != 0) {
            layout_.Pan(x - dragX_, y - dragY_);
            dragX_ = x;
            dragY_ = y;
        }
        mouseX_ = x;
        mouseY_ = y;
        dirty_ = true;
        return 0;
    case WM_MOUSEWHEEL: {
        POINT point{x, y};
        ScreenToClient(window, &point);
        layout_.ZoomAbout(std::pow(2.0, GET_WHEEL_DELTA_WPARAM(wParam) / (2.0 * WHEEL_DELTA)), point.x, point.y);
        dirty_ = true;
        return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void Viewer::DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR diffuse, float u1, float v1) {
    const ScreenVertex quad[4] = {{x0, y0, 0, 1, diffuse, 0, 0},
                                  {x1, y0, 0, 1, diffuse, u1, 0},
                                  {x1, y1, 0, 1, diffuse, u1, v1},
                                  {x0, y1, 0, 1, diffuse, 0, v1}};
    device_->SetVertexShader(SCREEN_FVF);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex));
}

void Viewer::DrawPicture(const D3DSURFACE_DESC& desc) {
    IDirect3DDevice8* device = device_.Get();
    // Quad edges half a pixel before the corners: at 1:1 each texel centre
    // lands on one pixel centre.
    const float x0 = static_cast<float>(layout_.left - 0.5), y0 = static_cast<float>(layout_.top - 0.5);
    const float x1 = static_cast<float>(x0 + desc.Width * layout_.zoom);
    const float y1 = static_cast<float>(y0 + desc.Height * layout_.zoom);

    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 0);
    if (alpha_ != AlphaView::IGNORED) {
        // What shows through: a checkerboard of 8-pixel squares, or black.
        const bool checker = alpha_ == AlphaView::CHECKERBOARD;
        device->SetTexture(0, checker ? checker_.Get() : nullptr);
        device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
        device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
        device->SetTextureStageState(0, D3DTSS_COLOROP, checker ? D3DTOP_SELECTARG1 : D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        DrawRect(x0, y0, x1, y1, 0xFF000000, (x1 - x0) / 16.0f, (y1 - y0) / 16.0f);
    }
    // The level itself: the highest level the sampler may use is the one
    // shown, and without a mip filter it uses only that one.
    device->SetTexture(0, texture_.Texture());
    device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, level_);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
    // Colour from the texture, or white whose coverage is the texture's alpha.
    device->SetTextureStageState(0, D3DTSS_COLOROP,
                                 alpha_ == AlphaView::CHANNEL ? D3DTOP_SELECTARG2 : D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP,
                                 alpha_ == AlphaView::IGNORED ? D3DTOP_SELECTARG2 : D3DTOP_SELECTARG1);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, alpha_ != AlphaView::IGNORED);
    if (texture_.IsVolume()) {
        // The slice's centre along w: point sampling takes that slice alone.
        const float w = (static_cast<float>(slice_) + 0.5f) / static_cast<float>(texture_.Depth(level_));
        const CubeVertex quad[4] = {{x0, y0, 0, 1, 0xFFFFFFFF, 0, 0, w},
                                    {x1, y0, 0, 1, 0xFFFFFFFF, 1, 0, w},
                                    {x1, y1, 0, 1, 0xFFFFFFFF, 1, 1, w},
                                    {x0, y1, 0, 1, 0xFFFFFFFF, 0, 1, w}};
        device->SetVertexShader(CUBE_FVF);
        device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(CubeVertex));
        return;
    }
    if (!texture_.IsCube()) {
        DrawRect(x0, y0, x1, y1, 0xFFFFFFFF, 1.0f, 1.0f);
        return;
    }
    CubeVertex quad[4] = {};
    const float corners[4][4] = {{x0, y0, -1, -1}, {x1, y0, 1, -1}, {x1, y1, 1, 1}, {x0, y1, -1, 1}};
    for (int i = 0; i < 4; ++i) {
        quad[i] = {corners[i][0], corners[i][1], 0, 1, 0xFFFFFFFF, 0, 0, 0};
        float direction[3];
        CubeDirection(static_cast<int>(face_), corners[i][2], corners[i][3], direction);
        quad[i].u = direction[0];
        quad[i].v = direction[1];
        quad[i].w = direction[2];
    }
    device->SetVertexShader(CUBE_FVF);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(CubeVertex));
}

std::string Viewer::OverlayText() {
    std::string text = files_[file_];
    if (files_.size() > 1) {
        text = "[" + std::to_string(file_ + 1) + "/" + std::to_string(files_.size()) + "] " + text;
    }
    if (FAILED(texture_.Result())) {
        return text + ": " + texture_.Error();
    }
    D3DSURFACE_DESC top{}, desc{};
    texture_.LevelDesc(0, &top);
    texture_.LevelDesc(level_, &desc);
    char buffer[256];
    std::snprintf(buffer, sizeof(buffer), "  %s %s %ux%u  level %u/%u %ux%u", texture_.Reader(),
                  FormatName(desc.Format).c_str(), top.Width, top.Height, level_, texture_.Levels(), desc.Width,
                  desc.Height);
    text += buffer;
    if (texture_.IsCube()) {
        text += std::string("  face ") + std::to_string(face_) + " " + FACE_NAMES[face_];
    }
    if (texture_.IsVolume()) {
        text += "  slice " + std::to_string(slice_) + "/" + std::to_string(texture_.Depth(level_));
    }
    int u = 0, v = 0;
    D3DCOLOR colour = 0;
    if (mouseY_ < AreaHeight() &&
        layout_.TexelAt(mouseX_, mouseY_, static_cast<int>(desc.Width), static_cast<int>(desc.Height), &u, &v) &&
        SUCCEEDED(texture_.ReadTexel(texture_.IsVolume() ? slice_ : face_, level_, static_cast<UINT>(u),
                                     static_cast<UINT>(v), &colour))) {
        std::snprintf(buffer, sizeof(buffer), "  texel %d,%d #%08X", u, v, static_cast<unsigned>(colour));
        text += buffer;
    }
    std::snprintf(buffer, sizeof(buffer), "  zoom %g%%  %s", std::round(layout_.zoom * 1000.0) / 10.0,
                  ALPHA_VIEW_NAMES[static_cast<int>(alpha_)]);
    return text + buffer;
}

void Viewer::UpdateOverlay() {
    const std::string text = OverlayText();
    if (text == overlayShown_) {
        return;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(overlay_->LockRect(0, &locked, nullptr, 0))) {
        return;
    }
    auto* pixels = static_cast<uint32_t*>(locked.pBits);
    const int pitch = locked.Pitch / 4;
    std::fill(pixels, pixels + static_cast<size_t>(pitch) * OVERLAY_HEIGHT, 0u);
    const int top = (OVERLAY_HEIGHT - GLYPH_HEIGHT) / 2;
    DrawText(pixels, pitch, width_, OVERLAY_HEIGHT, 5, top + 1, text, 0xFF000000);
    DrawText(pixels, pitch, width_, OVERLAY_HEIGHT, 4, top, text, 0xFFFFFFFF);
    overlay_->UnlockRect(0);
    overlayShown_ = text;
}

void Viewer::Render() {
    IDirect3DDevice8* device = device_.Get();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, BACKGROUND, 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    D3DSURFACE_DESC desc{};
    if (texture_.LevelDesc(level_, &desc)) {
        DrawPicture(desc);
    }
    // The overlay line: a dark band and the text over it.
    UpdateOverlay();
    const float bandTop = static_cast<float>(height_ - OVERLAY_HEIGHT) - 0.5f;
    const float right = static_cast<float>(width_) - 0.5f, bottom = static_cast<float>(height_) - 0.5f;
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 0);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    DrawRect(-0.5f, bandTop, right, bottom, 0xC0000000, 1.0f, 1.0f);
    device->SetTexture(0, overlay_.Get());
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    DrawRect(-0.5f, bandTop, right, bottom, 0xFFFFFFFF, 1.0f, 1.0f);
    device->SetTexture(0, nullptr);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

int RunView(int argc, char** argv) {
    enum : int { OPT_WINDOW = 256 };
    static const option OPTIONS[] = {
        {"window", required_argument, nullptr, OPT_WINDOW},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    UINT width = 800, height = 600;
    optind = 0;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":h", OPTIONS, nullptr)) != -1;) {
        const std::string value = optarg != nullptr ? optarg : "";
        switch (c) {
        case OPT_WINDOW:
            if (!ParseSize(value, &width, &height) || width < 64 || height < 64 || width > 8192 || height > 8192) {
                return UsageError("view", "bad window size '" + value + "' (64x64 to 8192x8192)");
            }
            break;
        case 'h': std::fputs(VIEW_HELP, stdout); return EXIT_DONE;
        case ':': return UsageError("view", std::string("option '") + argv[optind - 1] + "' needs a value");
        default: return UsageError("view", std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (optind >= argc) {
        return UsageError("view", "expected at least one image file");
    }
    Viewer viewer(std::vector<std::string>(argv + optind, argv + argc), static_cast<int>(width),
                  static_cast<int>(height));
    std::string message;
    if (!viewer.Open(&message)) {
        std::fprintf(stderr, "tovtex view: %s\n", message.c_str());
        return EXIT_FILE_FAILED;
    }
    viewer.Run();
    return EXIT_DONE;
}

}  // namespace tovtex_tool
