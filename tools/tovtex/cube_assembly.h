#pragma once
// Cube maps made from flat pictures: six pictures, one per face, or one
// picture in a cross layout. Either way the result is a cube DDS file in
// memory (A8R8G8B8, one level, faces +X, -X, +Y, -Y, +Z, -Z), which convert
// then loads as it loads any cube DDS file.

#include <string>
#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "file_bytes.h"

namespace tovtex_tool {

// Reads the six picture files (in face order) and makes them one cube map.
// Every face must be square and as large as the first. On failure *error
// is the whole message, naming the file at fault.
HRESULT AssembleCubeFaces(IDirect3DDevice8* device, const std::vector<std::string>& paths, FileBytes* cube,
                          std::string* error);

// The cross layouts: 4:3 across (+Y above, -X +Z +X -Z across the middle,
// -Y below) and 3:4 upright (+Y, -X +Z +X, -Y, then -Z below, turned half
// round as the cross folds). Returns the edge of a face, or 0 when the
// size is neither.
UINT CrossFaceEdge(UINT width, UINT height);

// When the image file in data is a single picture of a cross layout, its
// six faces cut out into *cube; otherwise (not decodable, already a cube
// map, not a cross's size) S_OK with *cube left empty.
HRESULT CutCrossLayout(IDirect3DDevice8* device, const BYTE* data, UINT size, FileBytes* cube);

}  // namespace tovtex_tool
