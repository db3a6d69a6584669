#include "convert/convert_region.h"

#include "codec/create_pixel_codec.h"
#include "convert/conversion_job.h"
#include "convert/conversion_ways.h"

namespace {

using ConversionWay = HRESULT (*)(ConversionJob& job);

// Cheapest first; the first way that succeeds ends the job. The two
// triangle resamplers accept every job of unsigned samples, so they close
// the list.
constexpr ConversionWay CONVERSION_WAYS[] = {
    CopySameFormat,  ConvertSameSize, CopyUnfiltered, FilterPoint,      FilterBoxHalf2D,
    FilterBoxHalf3D, FilterLinear2D,  FilterLinear3D, FilterTriangle2D, FilterTriangle3D,
};

constexpr DWORD FILTER_RESERVED_BITS = 0xFFF00000;

}  // namespace

bool IsValidFilter(DWORD filter) {
    const DWORD type = filter & 0xFFFF;
    return type >= FILTER_NONE && type <= FILTER_BOX && (filter & FILTER_RESERVED_BITS) == 0;
}

HRESULT ConvertRegion(PixelRegion* destination, const PixelRegion* source, DWORD filter) {
    if (destination == nullptr || source == nullptr || !IsValidFilter(filter)) {
        return D3DERR_INVALIDCALL;
    }
    destination->dither = filter & FILTER_DITHER;

    ConversionJob job;
    job.filter = filter;
    job.destination = CreatePixelCodec(*destination);
    if (job.destination == nullptr) {
        return E_FAIL;
    }
    job.source = CreatePixelCodec(*source);
    if (job.source == nullptr) {
        return E_FAIL;
    }
    // Signed samples convert only to signed samples.
    if (job.source->sampleClass != job.destination->sampleClass) {
        return E_FAIL;
    }
    for (ConversionWay way : CONVERSION_WAYS) {
        if (way(job) == S_OK) {
            return S_OK;
        }
    }
    return E_FAIL;
}
