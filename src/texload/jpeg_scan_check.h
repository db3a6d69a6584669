#pragma once
// A look at the scans of a progressive JPEG file before libjpeg decodes it.
// libjpeg allocates every coefficient of the picture and walks every block
// of a scan's components however few bytes the scan holds (a scan that ends
// early is padded with zeros), so a small file of many near-empty scans over
// a large picture costs the memory and time of a real one many times over.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

namespace tovtex {

// False when more than one scan of the file (`data`, `size`: the whole file,
// whose header `cinfo` has read) holds fewer bytes than the fewest that could
// code its blocks. Only the last scan of a cut-off file is short, so that one
// is allowed; more cannot come from an encoder or a truncated download.
// Files that are not progressive or not Huffman-coded pass.
bool ScansCanHoldTheirBlocks(const jpeg_decompress_struct& cinfo, const uint8_t* data, size_t size);

}  // namespace tovtex
