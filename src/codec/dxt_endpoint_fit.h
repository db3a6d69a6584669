#pragma once
// The DXT colour encoder in its plain form: one block and one operation at a
// time, the endpoints fitted along the principal axis of the block's
// colours. It is the reference the group form (dxt_endpoint_fit_group.h)
// must match bit for bit.

#include <windows.h>

#include "codec/dxt_blocks.h"

void EncodeColorBlockPlain(const DWORD* pixels, ColorKeyRange key, BYTE* block);
