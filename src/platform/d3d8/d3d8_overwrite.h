#pragma once
// Filling a whole surface without paying for its earlier contents. A
// texture level is handed out zeroed; when its memory is reused from a
// released texture, the zeroing is put off until the level is first used.
// A caller that writes every byte of the level itself can skip it.

#include <d3d8.h>

namespace platform {

// Locks the whole surface, as LockRect(locked, nullptr, 0) does, for a
// caller that writes all of its memory (Pitch x rows: every row, each to
// its full pitch, every block row for block formats) before UnlockRect. The
// level's earlier bytes may still be there until then.
HRESULT LockSurfaceToOverwrite(IDirect3DSurface8* surface, D3DLOCKED_RECT* locked);

}  // namespace platform
