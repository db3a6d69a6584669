#include "codec/dxt_blocks.h"

#include "codec/format_facts.h"

// The block encoders write blocks of the sizes the format table gives.
static_assert(FindFormatFacts(D3DFMT_DXT1)->blockBytes == COLOR_BLOCK_BYTES);
static_assert(FindFormatFacts(D3DFMT_DXT3)->blockBytes == ALPHA_BLOCK_BYTES);
static_assert(FindFormatFacts(D3DFMT_DXT5)->blockBytes == ALPHA_BLOCK_BYTES);

UINT DxtBlockBytes(D3DFORMAT format)
{
    const FormatFacts* facts = FindFormatFacts(format);
    return facts != nullptr ? facts->blockBytes : 0;
}

bool IsDxtFormat(D3DFORMAT format)
{
    return DxtBlockBytes(format) != 0;
}
