#include "shell/game_textures.h"

#include "shell/shell_state.h"

// Loads TEXTURE_FILES[slot] for slot 0, 1, 2 into shellState.textures[slot]:
//   LoadTextureFromFileA(shellState.device, TEXTURE_FILES[slot], 0, 0, 0, 0, D3DFMT_A8R8G8B8,
//                        D3DPOOL_MANAGED, FILTER_LINEAR, FILTER_LINEAR, 0, nullptr, nullptr,
//                        &shellState.textures[slot]);
// (texload/texture_loader.h, codec/tovtex_defs.h), results unexamined: a file
// that does not load leaves its slot null and the game draws with the empty
// slot. Not wired yet, so for now every slot stays null.
void LoadGameTextures() {}
