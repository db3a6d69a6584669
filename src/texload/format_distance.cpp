#include "texload/texture_fitting.h"

namespace {

constexpr DWORD ADDED_CHANNEL = 256;
constexpr DWORD LOST_CHANNEL = 0x1000000;
constexpr DWORD LOST_BIT = 65536;

DWORD ChannelPenalty(UINT requested, UINT candidate) {
    if (requested == candidate) {
        return 0;
    }
    if (requested < candidate) {
        return requested == 0 ? ADDED_CHANNEL : candidate - requested;
    }
    return candidate == 0 ? LOST_CHANNEL : (requested - candidate) * LOST_BIT;
}

}  // namespace

DWORD FormatDistance(const PixelFormatInfo& requested, const PixelFormatInfo& candidate) {
    if (!candidate.substitutable) {
        return DISTANCE_INCOMPATIBLE;
    }
    if (requested.kind != candidate.kind) {
        // Only colour formats stand in for another kind, and never for a
        // signed one.
        if (candidate.kind != FORMAT_KIND_RGB || requested.kind == FORMAT_KIND_SIGNED) {
            return DISTANCE_INCOMPATIBLE;
        }
    }
    return ChannelPenalty(requested.luminanceBits, candidate.luminanceBits) +
           ChannelPenalty(requested.alphaBits, candidate.alphaBits) +
           ChannelPenalty(requested.redBits, candidate.redBits) +
           ChannelPenalty(requested.greenBits, candidate.greenBits) +
           ChannelPenalty(requested.blueBits, candidate.blueBits);
}
