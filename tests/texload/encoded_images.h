#pragma once
// PNG and JPEG files made with libpng and libjpeg in memory, and the JPEG
// surgery the limit tests need (frame sizes, repeated scans).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "support/image_builders.h"

namespace texloadtest {

// An 8-bit grey PNG with a diagonal ramp.
testsupport::Bytes GreyPng(uint32_t width, uint32_t height);

// A PNG that declares width x height but holds only its first row (zero
// samples), then its end chunk.
testsupport::Bytes PngFirstRow(uint32_t width, uint32_t height, int bitDepth, int colourType);

// A 1-bit grey PNG of zeros, compressed as tightly as zlib can.
testsupport::Bytes ZeroPng(uint32_t width, uint32_t height);

struct JpegLayout {
    uint32_t width = 16;
    uint32_t height = 16;
    int components = 3;      // 1 (grey) or 3 (YCbCr)
    int lumaSampling = 2;    // horizontal and vertical factor of Y; chroma 1
    bool progressive = false;               // libjpeg's standard script
    std::vector<jpeg_scan_info> script = {};  // a script of our own instead
};

// A smooth picture; empty (with a test failure) if libjpeg refuses.
testsupport::Bytes EncodeJpeg(const JpegLayout& layout);

// The same file with the frame header's width and height changed.
testsupport::Bytes WithFrameSize(testsupport::Bytes jpeg, uint16_t width, uint16_t height);

// The file up to and including its scan number `scan` (from 0), then that
// scan `copies` more times (each cut to its first `keep` bytes, when not 0),
// then the end-of-image marker.
testsupport::Bytes RepeatScan(const testsupport::Bytes& jpeg, int scan, int copies, size_t keep = 0);

}  // namespace texloadtest
