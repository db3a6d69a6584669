#pragma once
// The state of one conversion: the two codecs and the filter argument.
// Every way of converting is an operation on a job that either does the
// whole job or fails so that the next way can be tried.

#include <windows.h>

#include "codec/pixel_codec.h"

struct ConversionJob {
    PixelCodec* source = nullptr;
    PixelCodec* destination = nullptr;
    DWORD filter = 0;

    ConversionJob() = default;
    ConversionJob(const ConversionJob&) = delete;
    ConversionJob& operator=(const ConversionJob&) = delete;

    // The destination goes first: destroying a block codec writes its
    // pending rows back.
    ~ConversionJob() {
        delete destination;
        destination = nullptr;
        delete source;
        source = nullptr;
    }

    DWORD FilterType() const { return filter & 0xFFFF; }

    bool SameSize() const {
        return source->width == destination->width && source->height == destination->height &&
               source->depth == destination->depth;
    }

    bool BothUnsigned() const {
        return source->sampleClass == SAMPLE_UNSIGNED && destination->sampleClass == SAMPLE_UNSIGNED;
    }

    // A resampler needs at least one pixel on each side along every axis.
    bool BothNonEmpty() const {
        return source->width != 0 && source->height != 0 && source->depth != 0 && destination->width != 0 &&
               destination->height != 0 && destination->depth != 0;
    }
};
