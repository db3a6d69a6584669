#include "render/render_frame.h"

#include <d3d8.h>

#include <cmath>
#include <cstring>

#include "math/matrix4x4.h"
#include "render/draw_primitives.h"
#include "render/vertices.h"
#include "shell/shell_state.h"

namespace {

void SetFrameStates(IDirect3DDevice8* device) {
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

void SetTransformFrom(IDirect3DDevice8* device, D3DTRANSFORMSTATETYPE state, const Matrix4x4& source) {
    D3DMATRIX matrix;
    static_assert(sizeof(matrix) == sizeof(source));
    std::memcpy(&matrix, &source, sizeof(matrix));
    device->SetTransform(state, &matrix);
}

void SetCamera(IDirect3DDevice8* device, const GameState& g) {
    const Vector3 eye(g.cameraX, g.cameraY, g.cameraZ);
    const Vector3 target(g.cameraX, g.cameraY, g.cameraZ + 1);
    const double roll = -static_cast<double>(g.cameraRoll);
    const Vector3 up(static_cast<float>(std::sin(roll)), static_cast<float>(std::cos(roll)), 0.0f);
    Matrix4x4 view;
    LookAtLeftHanded(&view, &eye, &target, &up);
    Matrix4x4 projection;
    PerspectiveFovLeftHanded(&projection, FOV_Y, ASPECT_RATIO, Z_NEAR, Z_FAR);
    SetTransformFrom(device, D3DTS_VIEW, view);
    SetTransformFrom(device, D3DTS_PROJECTION, projection);
}

void DrawWorld(const GameState& g) {
    DrawBackdrop(TEXTURE_BACKGROUND);
    DrawBillboard(g.cameraX + 30, 21, 47, g.aimAngle, TEXTURE_ATLAS, CELL_ARROW, 10, 10);
    // Drawn twice at the same depth: the second copy blends over the first,
    // which strengthens the body's soft edges.
    DrawBillboard(g.posX, g.posY, 49, 0, TEXTURE_ATLAS, CELL_BODY, 10, 10);
    DrawBillboard(static_cast<float>(g.posX + 0.1), g.posY, 49, 0, TEXTURE_ATLAS, CELL_BODY, 10, 10);
    if (g.boostTimer > 0) {
        DrawBillboard(g.puffX, g.puffY, 48, g.puffAngle, TEXTURE_ATLAS, CELL_PUFF, 10, 10);
    }
}

void DrawOverlay(const GameState& g) {
    if (g.phase == PHASE_TITLE) {
        DrawScreenRect(0, 0, 640, 480, 255, TEXTURE_TITLE);
        return;
    }
    DrawScreenCell(580, 440, 255, 60, TEXTURE_ATLAS, g.boostsLeft);
    if (g.phase == PHASE_LANDED) {
        const uint8_t digits = g.posX >= 100 ? 3 : 2;
        DrawNumber(320, 240, TEXTURE_ATLAS, 255, digits, 40, static_cast<int32_t>(g.posX));
        DrawScreenCell(360, 240, 255, 40, TEXTURE_ATLAS, CELL_LABEL);
    }
}

}  // namespace

void RenderFrame() {
    IDirect3DDevice8* device = shellState.device;
    const GameState& g = gameState;

    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOR, 1.0f, 0);
    device->BeginScene();
    SetFrameStates(device);
    SetCamera(device, g);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    device->SetVertexShader(WORLD_VERTEX_FVF);
    if (g.phase != PHASE_TITLE) {
        DrawWorld(g);
    }
    device->SetVertexShader(SCREEN_VERTEX_FVF);
    DrawOverlay(g);
    device->EndScene();

    // A lost device fails Present; the managed textures survive the reset and
    // every state is set again next frame.
    if (FAILED(device->Present(nullptr, nullptr, nullptr, nullptr))) {
        device->Reset(&shellState.presentParams);
    }
}
