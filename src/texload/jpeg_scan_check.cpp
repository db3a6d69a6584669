#include "texload/jpeg_scan_check.h"

#include <cstring>

namespace tovtex {

namespace {

constexpr uint8_t MARKER_SOI = 0xD8;
constexpr uint8_t MARKER_EOI = 0xD9;
constexpr uint8_t MARKER_SOS = 0xDA;
constexpr uint8_t MARKER_TEM = 0x01;

// The fewest bytes a scan's blocks take, with a margin of about half: an
// end-of-band run codes at most 32767 blocks of an AC scan in a Huffman code
// and 14 extra bits (15 bits or more; counted as 8); a DC scan codes every
// block in at least one bit, a Huffman code of one bit or more in the first
// pass and one bit in a refinement (counted as half a bit).
constexpr uint64_t MOST_BLOCKS_PER_AC_BYTE = 32767;
constexpr uint64_t MOST_BLOCKS_PER_DC_BYTE = 16;

bool IsRestart(uint8_t code) {
    return code >= 0xD0 && code <= 0xD7;
}

// The position of the next marker's code from `at` on (the byte after an
// 0xFF and any fill bytes 0xFF), and in *ff the position of its first 0xFF;
// size when there is none.
size_t NextMarkerCode(const uint8_t* data, size_t size, size_t at, size_t* ff) {
    const void* found = at < size ? std::memchr(data + at, 0xFF, size - at) : nullptr;
    if (found == nullptr) {
        return size;
    }
    *ff = static_cast<size_t>(static_cast<const uint8_t*>(found) - data);
    size_t code = *ff + 1;
    while (code < size && data[code] == 0xFF) {
        ++code;
    }
    return code;
}

// Where the entropy-coded data from `at` on ends: at the first marker that is
// neither a stuffed 0xFF 0x00 nor a restart marker, as libjpeg's decoder
// reads it; else at the end of the file.
size_t EndOfScanData(const uint8_t* data, size_t size, size_t at) {
    while (at < size) {
        size_t ff = 0;
        const size_t code = NextMarkerCode(data, size, at, &ff);
        if (code >= size) {
            return size;
        }
        if (data[code] != 0 && !IsRestart(data[code])) {
            return ff;
        }
        at = code + 1;
    }
    return size;
}

// The blocks a scan codes: a component's own blocks when it is alone, whole
// MCUs (edge padding included) when interleaved; 0 for a component the frame
// does not have (libjpeg refuses that scan itself).
uint64_t ScanBlocks(const jpeg_decompress_struct& cinfo, const uint8_t* selectors, int count) {
    uint64_t blocksPerMcu = 0;
    for (int i = 0; i < count; ++i) {
        const jpeg_component_info* found = nullptr;
        for (int c = 0; c < cinfo.num_components && found == nullptr; ++c) {
            if (cinfo.comp_info[c].component_id == selectors[2 * i]) {
                found = &cinfo.comp_info[c];
            }
        }
        if (found == nullptr) {
            return 0;
        }
        if (count == 1) {
            return uint64_t{found->width_in_blocks} * found->height_in_blocks;
        }
        blocksPerMcu += uint64_t(found->h_samp_factor) * uint64_t(found->v_samp_factor);
    }
    const uint64_t mcuWidth = uint64_t(cinfo.max_h_samp_factor) * DCTSIZE;
    const uint64_t mcuHeight = uint64_t(cinfo.max_v_samp_factor) * DCTSIZE;
    if (mcuWidth == 0 || mcuHeight == 0) {
        return 0;
    }
    const uint64_t mcus =
        ((cinfo.image_width + mcuWidth - 1) / mcuWidth) * ((cinfo.image_height + mcuHeight - 1) / mcuHeight);
    return mcus * blocksPerMcu;
}

uint64_t FewestBytes(uint64_t blocks, int spectralStart) {
    return spectralStart == 0 ? blocks / MOST_BLOCKS_PER_DC_BYTE
                              : (blocks + MOST_BLOCKS_PER_AC_BYTE - 1) / MOST_BLOCKS_PER_AC_BYTE;
}

}  // namespace

bool ScansCanHoldTheirBlocks(const jpeg_decompress_struct& cinfo, const uint8_t* data, size_t size) {
    // An arithmetic coder can code a flat picture's blocks in a few bytes.
    if (!cinfo.progressive_mode || cinfo.arith_code) {
        return true;
    }
    int shortScans = 0;
    size_t at = 2;  // past the start-of-image marker
    // Marker by marker as libjpeg finds them: bytes up to the next 0xFF are
    // skipped, fill bytes too. A walk that loses its way stops and passes
    // the file: libjpeg judges the rest.
    while (at < size) {
        size_t ff = 0;
        const size_t code = NextMarkerCode(data, size, at, &ff);
        if (code >= size) {
            break;
        }
        const uint8_t marker = data[code];
        at = code + 1;
        if (marker == MARKER_EOI) {
            break;
        }
        if (marker == 0 || marker == MARKER_SOI || marker == MARKER_TEM || IsRestart(marker)) {
            continue;  // no segment follows
        }
        if (size - at < 2) {
            break;
        }
        const size_t length = size_t{data[at]} << 8 | data[at + 1];
        if (length < 2 || length > size - at) {
            break;
        }
        if (marker != MARKER_SOS) {
            at += length;
            continue;
        }
        const uint8_t* header = data + at + 2;
        const int count = length > 2 ? header[0] : 0;
        if (count < 1 || count > MAX_COMPS_IN_SCAN || length != 6 + size_t(2 * count)) {
            break;
        }
        const int spectralStart = header[1 + 2 * count];
        const uint64_t blocks = ScanBlocks(cinfo, header + 1, count);
        const size_t start = at + length;
        at = EndOfScanData(data, size, start);
        if (at - start < FewestBytes(blocks, spectralStart) && ++shortScans > 1) {
            return false;
        }
    }
    return true;
}

}  // namespace tovtex
