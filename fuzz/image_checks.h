#pragma once
// Checks shared by the fuzz targets that decode image files.

#include "texload/image.h"

// Reads every byte of every row of every level and face of a filled image,
// so a pixel pointer that strays outside its memory shows up under the
// sanitizers, and aborts when the tree breaks a rule every reader keeps:
// pixels and a picture on every level, rows that do not overlap, a palette
// exactly for D3DFMT_P8, one face or six alike, each level half the one
// above. Returns a sum of the bytes read.
unsigned WalkImageTree(const Image& root);
