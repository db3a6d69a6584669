#pragma once
// PNG and JPEG files made with libpng and libjpeg in memory, and the JPEG
// surgery the limit tests need (frame sizes, repeated scans).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "support/image_builders.h"

namespace texload_test {

// An 8-bit grey PNG with a diagonal ramp.
test_support::Bytes GreyPng(uint32_t width, uint32_t height);

// A PNG that declares width x height but holds only its first row (zero
// samples), then its end chunk.
test_support::Bytes PngFirstRow(uint32_t width, uint32_t height, int bitDepth, int colourType);

// A 1-bit grey PNG of zeros, compressed as tightly as zlib can.
test_support::Bytes ZeroPng(uint32_t width, uint32_t height);

// The picture EncodeJpeg codes.
enum class JpegPicture {
    SMOOTH,  // a ramp
    FLAT,    // one grey: every AC coefficient zero
    NOISE,   // pseudo-random samples: every scan large
};

struct JpegLayout {
    uint32_t width = 16;
    uint32_t height = 16;
    int components = 3;                       // 1 (grey) or 3 (YCbCr)
    int lumaSampling = 2;                     // horizontal and vertical factor of Y; chroma 1
    bool progressive = false;                 // libjpeg's standard script
    std::vector<jpeg_scan_info> script = {};  // a script of our own instead
    JpegPicture picture = JpegPicture::SMOOTH;
    unsigned restartInterval = 0;  // in MCUs; 0 for none
    bool arithmetic = false;       // arithmetic coding instead of Huffman
};

// The layout's picture; empty (with a test failure) if libjpeg refuses.
test_support::Bytes EncodeJpeg(const JpegLayout& layout);

// The same file with the frame header's width and height changed.
test_support::Bytes WithFrameSize(test_support::Bytes jpeg, uint16_t width, uint16_t height);

// The file up to and including its scan number `scan` (from 0), then that
// scan `copies` more times (each cut to its first `keep` bytes, when not 0),
// then the end-of-image marker.
test_support::Bytes RepeatScan(const test_support::Bytes& jpeg, int scan, int copies, size_t keep = 0);

// The file cut in the middle of the entropy-coded data of its scan
// `fromLast` counted from the end (0: the last scan), as a download stops.
test_support::Bytes CutInScan(const test_support::Bytes& jpeg, int fromLast);

}  // namespace texload_test
