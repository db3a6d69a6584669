#pragma once
// Loads the three game textures into ShellState::textures.

void LoadGameTextures();
