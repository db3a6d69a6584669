#pragma once
// One file as `tovtex view` shows it: loaded by the library's default
// operations into a texture, or a cube texture when the file holds six
// faces, exactly as a program calling them gets it; a volume DDS file (which
// those operations do not load) as the tool's convert builds it.

#include <string>

#include <d3d8.h>
#include <windows.h>

#include "base/com_ref.h"

namespace tovtex_tool {

class ViewTexture {
public:
    // Reads and loads the file; on failure the result is kept for Error().
    void Load(IDirect3DDevice8* device, const std::string& path);
    void Release();

    HRESULT Result() const { return result_; }
    const std::string& Error() const { return error_; }
    const std::string& Path() const { return path_; }
    const char* Reader() const { return reader_; }

    bool IsCube() const { return cube_.Get() != nullptr; }
    bool IsVolume() const { return volume_.Get() != nullptr; }
    IDirect3DBaseTexture8* Texture() const;
    UINT Levels() const;
    UINT Faces() const { return IsCube() ? 6 : 1; }
    // Size and format of a level (all faces and slices alike); false past
    // the last.
    bool LevelDesc(UINT level, D3DSURFACE_DESC* desc) const;
    // A volume level's slices; 1 for other textures.
    UINT Depth(UINT level) const;

    // The texel (u, v) of a face's (or a volume's slice's) level as
    // A8R8G8B8, read back from the texture and decoded by the library's
    // conversion engine.
    HRESULT ReadTexel(UINT layer, UINT level, UINT u, UINT v, D3DCOLOR* colour) const;

private:
    HRESULT ReadVolumeTexel(UINT slice, UINT level, UINT u, UINT v, D3DCOLOR* colour) const;

    std::string path_;
    const char* reader_ = "";
    HRESULT result_ = E_FAIL;
    std::string error_;
    ComRef<IDirect3DTexture8> plain_;
    ComRef<IDirect3DCubeTexture8> cube_;
    ComRef<IDirect3DVolumeTexture8> volume_;
};

}  // namespace tovtex_tool
