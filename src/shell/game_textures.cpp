#include "shell/game_textures.h"

#include "base/tovtex_defs.h"
#include "shell/shell_state.h"
#include "texload/texture_loader.h"

// Each picture becomes an A8R8G8B8 texture with a full chain, every level
// resampled linearly from the picture. Results are not examined: a file that
// does not load leaves its slot null and the game draws with the empty slot.
void LoadGameTextures() {
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
        LoadTextureFromFileA(shellState.device, TEXTURE_FILES[slot], 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                             FILTER_LINEAR, FILTER_LINEAR, 0, nullptr, nullptr, &shellState.textures[slot]);
    }
}
