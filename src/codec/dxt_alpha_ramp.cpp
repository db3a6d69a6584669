#include "codec/dxt_alpha_ramp.h"

#include "codec/cpu_features.h"
#include "codec/dxt_alpha_ramp_avx2.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace dxt_search {

namespace {

int Clamp255(int v) {
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

// How far a pair of references lies from where the search starts.
int Moves(int d0, int d1) {
    return (d0 < 0 ? -d0 : d0) + (d1 < 0 ? -d1 : d1);
}

}  // namespace

void BuildAlphaRamp(unsigned a0, unsigned a1, int* ramp) {
    const int x = static_cast<int>(a0), y = static_cast<int>(a1);
    ramp[0] = x;
    ramp[1] = y;
    if (a0 > a1) {
        for (int i = 1; i <= 6; ++i) {
            ramp[1 + i] = ((7 - i) * x + i * y) / 7;
        }
    } else {
        for (int i = 1; i <= 4; ++i) {
            ramp[1 + i] = ((5 - i) * x + i * y) / 5;
        }
        ramp[6] = 0;
        ramp[7] = 255;
    }
}

std::uint32_t AlphaRampErrorPlain(const int* alpha, std::uint16_t texels, unsigned a0, unsigned a1) {
    int ramp[8];
    BuildAlphaRamp(a0, a1, ramp);
    std::uint32_t error = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 1 << 20;
        for (int k = 0; k < 8; ++k) {
            const int d = alpha[i] - ramp[k];
            best = d * d < best ? d * d : best;
        }
        error += (texels >> i & 1u) ? static_cast<std::uint32_t>(best) : 0u;
    }
    return error;
}

#if TOVTEX_SSE2
namespace {

// A block's alpha as the vector error reads it: sixteen bytes, and a byte
// mask of the texels inside. Built once per block, then shared by every
// pair of references the search judges.
struct AlphaBytes {
    __m128i alpha;
    __m128i inside;
};

// The sum of the squares of 16 unsigned bytes.
std::uint32_t SumOfSquares(__m128i bytes) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_unpacklo_epi8(bytes, zero), high = _mm_unpackhi_epi8(bytes, zero);
    __m128i sum = _mm_add_epi32(_mm_madd_epi16(low, low), _mm_madd_epi16(high, high));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(sum));
}

AlphaBytes PackAlpha(const int* alpha, std::uint16_t texels) {
    alignas(16) unsigned char bytes[16], inside[16];
    for (int i = 0; i < 16; ++i) {
        bytes[i] = static_cast<unsigned char>(alpha[i]);
        inside[i] = (texels >> i & 1u) ? 0xFF : 0x00;
    }
    return {_mm_load_si128(reinterpret_cast<const __m128i*>(bytes)),
            _mm_load_si128(reinterpret_cast<const __m128i*>(inside))};
}

// The eight entries of the ramp, each in all sixteen bytes. Built in 16-bit
// lanes with the decoder's arithmetic: the divisions by 7 and 5 of values
// below 2^11 are exact as a high multiply by ceil(2^16 / 7) and
// ceil(2^16 / 5).
void RampEntries(unsigned a0, unsigned a1, __m128i* entries) {
    const __m128i x = _mm_set1_epi16(static_cast<short>(a0)), y = _mm_set1_epi16(static_cast<short>(a1));
    __m128i ramp;
    if (a0 > a1) {
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(x, _mm_setr_epi16(7, 0, 6, 5, 4, 3, 2, 1)),
                                          _mm_mullo_epi16(y, _mm_setr_epi16(0, 7, 1, 2, 3, 4, 5, 6)));
        ramp = _mm_mulhi_epu16(sum, _mm_set1_epi16(9363));
    } else {
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(x, _mm_setr_epi16(5, 0, 4, 3, 2, 1, 0, 0)),
                                          _mm_mullo_epi16(y, _mm_setr_epi16(0, 5, 1, 2, 3, 4, 0, 0)));
        ramp = _mm_or_si128(_mm_mulhi_epu16(sum, _mm_set1_epi16(13108)), _mm_setr_epi16(0, 0, 0, 0, 0, 0, 0, 255));
    }
    // Each entry doubled into both bytes of its lane, then into all four
    // bytes of a 32-bit lane, then spread.
    const __m128i pair = _mm_or_si128(ramp, _mm_slli_epi16(ramp, 8));
    const __m128i low = _mm_unpacklo_epi16(pair, pair), high = _mm_unpackhi_epi16(pair, pair);
    entries[0] = _mm_shuffle_epi32(low, 0x00);
    entries[1] = _mm_shuffle_epi32(low, 0x55);
    entries[2] = _mm_shuffle_epi32(low, 0xAA);
    entries[3] = _mm_shuffle_epi32(low, 0xFF);
    entries[4] = _mm_shuffle_epi32(high, 0x00);
    entries[5] = _mm_shuffle_epi32(high, 0x55);
    entries[6] = _mm_shuffle_epi32(high, 0xAA);
    entries[7] = _mm_shuffle_epi32(high, 0xFF);
}

std::uint32_t PackedAlphaRampError(const AlphaBytes& packed, unsigned a0, unsigned a1) {
    __m128i entries[8];
    RampEntries(a0, a1, entries);
    const __m128i a = packed.alpha;
    // The smallest distance of each texel to an entry, as unsigned bytes.
    __m128i nearest = _mm_set1_epi8(-1);
    for (int k = 0; k < 8; ++k) {
        const __m128i r = entries[k];
        const __m128i d = _mm_or_si128(_mm_subs_epu8(a, r), _mm_subs_epu8(r, a));
        nearest = _mm_min_epu8(nearest, d);
    }
    return SumOfSquares(_mm_and_si128(nearest, packed.inside));
}

}  // namespace
#endif

std::uint32_t AlphaRampError(const int* alpha, std::uint16_t texels, unsigned a0, unsigned a1) {
#if TOVTEX_SSE2
    return PackedAlphaRampError(PackAlpha(alpha, texels), a0, a1);
#else
    return AlphaRampErrorPlain(alpha, texels, a0, a1);
#endif
}

AlphaChoice EvaluateAlphaRampPlain(const int* alpha, std::uint16_t texels, unsigned a0, unsigned a1) {
    int ramp[8];
    BuildAlphaRamp(a0, a1, ramp);
    AlphaChoice out{a0, a1, 0, 0};
    for (int i = 0; i < 16; ++i) {
        int best = 1 << 20;
        unsigned index = 0;
        for (int k = 0; k < 8; ++k) {
            const int d = alpha[i] - ramp[k];
            if (d * d < best) {
                best = d * d;
                index = static_cast<unsigned>(k);
            }
        }
        out.indices |= static_cast<std::uint64_t>(index) << (3 * i);
        out.error += (texels >> i & 1u) ? static_cast<std::uint32_t>(best) : 0u;
    }
    return out;
}

#if TOVTEX_SSE2
namespace {

// Sixteen 3-bit indices, one a byte, to 3 bits a texel in texel order:
// neighbouring fields joined in ever wider lanes (6 bits in 16, 12 in 32,
// 24 in 64), then the two halves.
std::uint64_t PackIndices(__m128i bytes) {
    const __m128i pairs = _mm_or_si128(_mm_and_si128(bytes, _mm_set1_epi16(0xFF)),
                                       _mm_slli_epi16(_mm_srli_epi16(bytes, 8), 3));
    const __m128i quads = _mm_or_si128(_mm_and_si128(pairs, _mm_set1_epi32(0xFFFF)),
                                       _mm_slli_epi32(_mm_srli_epi32(pairs, 16), 6));
    const __m128i eights = _mm_or_si128(_mm_and_si128(quads, _mm_set_epi32(0, -1, 0, -1)),
                                        _mm_slli_epi64(_mm_srli_epi64(quads, 32), 12));
    alignas(16) std::uint64_t halves[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(halves), eights);
    return halves[0] | halves[1] << 24;
}

AlphaChoice EvaluatePackedAlphaRamp(const AlphaBytes& packed, unsigned a0, unsigned a1) {
    __m128i entries[8];
    RampEntries(a0, a1, entries);
    // From the last entry down, taking equal distances too: ties end on the
    // lowest index, as in the plain search.
    __m128i nearest = _mm_set1_epi8(-1), index = _mm_setzero_si128();
    for (int k = 7; k >= 0; --k) {
        const __m128i r = entries[k];
        const __m128i d = _mm_or_si128(_mm_subs_epu8(packed.alpha, r), _mm_subs_epu8(r, packed.alpha));
        const __m128i closer = _mm_cmpeq_epi8(_mm_min_epu8(d, nearest), d);
        index =
            _mm_or_si128(_mm_and_si128(closer, _mm_set1_epi8(static_cast<char>(k))), _mm_andnot_si128(closer, index));
        nearest = _mm_min_epu8(nearest, d);
    }
    const std::uint32_t error = SumOfSquares(_mm_and_si128(nearest, packed.inside));
    return AlphaChoice{a0, a1, PackIndices(index), error};
}

}  // namespace
#endif

AlphaChoice EvaluateAlphaRamp(const int* alpha, std::uint16_t texels, unsigned a0, unsigned a1) {
#if TOVTEX_SSE2
    return EvaluatePackedAlphaRamp(PackAlpha(alpha, texels), a0, a1);
#else
    return EvaluateAlphaRampPlain(alpha, texels, a0, a1);
#endif
}

namespace {

// The block's alpha and its extremes over the texels inside: low and high,
// and innerLow and innerHigh leaving out 0 and 255.
struct AlphaRange {
    int alpha[16];
    int low;
    int high;
    int innerLow;
    int innerHigh;
};

void AlphaRangePlain(const DWORD* pixels, std::uint16_t texels, AlphaRange& out) {
    int low = 255, high = 0, innerLow = 255, innerHigh = 0;
    for (int i = 0; i < 16; ++i) {
        out.alpha[i] = static_cast<int>(pixels[i] >> 24);
        if (!(texels >> i & 1u)) {
            continue;
        }
        const int a = out.alpha[i];
        low = a < low ? a : low;
        high = a > high ? a : high;
        if (a != 0 && a != 255) {
            innerLow = a < innerLow ? a : innerLow;
            innerHigh = a > innerHigh ? a : innerHigh;
        }
    }
    out.low = low;
    out.high = high;
    out.innerLow = innerLow;
    out.innerHigh = innerHigh;
}

#if TOVTEX_SSE2
unsigned char MinBytes(__m128i v) {
    v = _mm_min_epu8(v, _mm_srli_si128(v, 8));
    v = _mm_min_epu8(v, _mm_srli_si128(v, 4));
    v = _mm_min_epu8(v, _mm_srli_si128(v, 2));
    v = _mm_min_epu8(v, _mm_srli_si128(v, 1));
    return static_cast<unsigned char>(_mm_cvtsi128_si32(v));
}

unsigned char MaxBytes(__m128i v) {
    v = _mm_max_epu8(v, _mm_srli_si128(v, 8));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 4));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 2));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 1));
    return static_cast<unsigned char>(_mm_cvtsi128_si32(v));
}

// The packed bytes and the extremes straight from the pixels, sixteen at
// once; the int copy is left unfilled, the vector search never reads it.
AlphaBytes PackAlphaRange(const DWORD* pixels, std::uint16_t texels, AlphaRange& out) {
    const __m128i* p = reinterpret_cast<const __m128i*>(pixels);
    const __m128i a0 = _mm_srli_epi32(_mm_loadu_si128(p), 24), a1 = _mm_srli_epi32(_mm_loadu_si128(p + 1), 24);
    const __m128i a2 = _mm_srli_epi32(_mm_loadu_si128(p + 2), 24), a3 = _mm_srli_epi32(_mm_loadu_si128(p + 3), 24);
    const __m128i alpha = _mm_packus_epi16(_mm_packs_epi32(a0, a1), _mm_packs_epi32(a2, a3));
    const __m128i bits = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    // The mask's low byte in bytes 0 to 7 and its high byte in 8 to 15, by
    // unpacking in registers (bytes set one by one go through memory).
    __m128i spread = _mm_cvtsi32_si128(static_cast<int>(texels));
    spread = _mm_unpacklo_epi8(spread, spread);
    spread = _mm_unpacklo_epi16(spread, spread);
    spread = _mm_unpacklo_epi32(spread, spread);
    const __m128i inside = _mm_cmpeq_epi8(_mm_and_si128(spread, bits), bits);
    const __m128i ends =
        _mm_or_si128(_mm_cmpeq_epi8(alpha, _mm_setzero_si128()), _mm_cmpeq_epi8(alpha, _mm_set1_epi8(-1)));
    const __m128i inner = _mm_andnot_si128(ends, inside);
    out.low = MinBytes(_mm_or_si128(alpha, _mm_xor_si128(inside, _mm_set1_epi8(-1))));
    out.high = MaxBytes(_mm_and_si128(alpha, inside));
    out.innerLow = MinBytes(_mm_or_si128(alpha, _mm_xor_si128(inner, _mm_set1_epi8(-1))));
    out.innerHigh = MaxBytes(_mm_and_si128(alpha, inner));
    return {alpha, inside};
}
#endif

enum class AlphaForm { PLAIN, SSE2, AVX2 };

// Whether the sixteen pixels share one alpha (opaque pictures: every block).
bool OneAlpha(const DWORD* pixels) {
    DWORD differ = 0;
    for (int i = 1; i < 16; ++i) {
        differ |= pixels[i] ^ pixels[0];
    }
    return (differ >> 24) == 0;
}

AlphaChoice FitAlphaRampWith(const DWORD* pixels, std::uint16_t texels, int window, int steps, AlphaForm form) {
    if (texels == 0xFFFF && OneAlpha(pixels)) {
        // Every texel on entry 0, exactly: the block the search below
        // would reach, found without it.
        const unsigned v = pixels[0] >> 24;
        return AlphaChoice{v, v, 0, 0};
    }
    const bool plain = form == AlphaForm::PLAIN;
    AlphaRange range;
#if TOVTEX_SSE2
    AlphaBytes packed{};
    if (plain) {
        AlphaRangePlain(pixels, texels, range);
    } else {
        packed = PackAlphaRange(pixels, texels, range);
    }
#else
    (void)plain;
    AlphaRangePlain(pixels, texels, range);
#endif
    const int* alpha = range.alpha;
    const int low = range.low, high = range.high, innerLow = range.innerLow, innerHigh = range.innerHigh;
    const auto evaluate = [&](unsigned a0, unsigned a1) {
#if TOVTEX_SSE2
        if (!plain) {
            return EvaluatePackedAlphaRamp(packed, a0, a1);
        }
#endif
        return EvaluateAlphaRampPlain(alpha, texels, a0, a1);
    };
    const auto error = [&](unsigned a0, unsigned a1) {
#if TOVTEX_SSE2
        if (!plain) {
            return PackedAlphaRampError(packed, a0, a1);
        }
#endif
        return AlphaRampErrorPlain(alpha, texels, a0, a1);
    };
    if (low >= high) {
        // One value (or no texel inside): both references hold it.
        const unsigned v = texels == 0 ? 255u : static_cast<unsigned>(low);
        if (texels == 0xFFFF) {
            // Every texel holds v: entry 0, exactly.
            return AlphaChoice{v, v, 0, 0};
        }
        return evaluate(v, v);
    }
    // The starting pair with its indices: it often stays the best, and is
    // then not judged again.
    const AlphaChoice start = evaluate(static_cast<unsigned>(high), static_cast<unsigned>(low));
    unsigned bestA0 = start.a0, bestA1 = start.a1;
    std::uint32_t best = start.error;
    const auto keep = [&](int a0, int a1, std::uint32_t e) {
        if (e < best) {
            best = e;
            bestA0 = static_cast<unsigned>(a0);
            bestA1 = static_cast<unsigned>(a1);
        }
    };
    // The AVX2 form judges the pairs two at a time, in the order met: a pair
    // waits for the next, and the last one for the end of the search. The
    // search prunes on a zero error only, which no later pair can undercut,
    // so a pair judged late changes nothing.
    int waiting[2] = {-1, -1};
    const auto consider = [&](int a0, int a1) {
#if TOVTEX_SSE2
        if (form == AlphaForm::AVX2) {
            if (waiting[0] < 0) {
                waiting[0] = a0;
                waiting[1] = a1;
                return;
            }
            std::uint32_t errors[2];
            AlphaRampErrorPairAvx2(packed.alpha, packed.inside, static_cast<unsigned>(waiting[0]),
                                   static_cast<unsigned>(waiting[1]), static_cast<unsigned>(a0),
                                   static_cast<unsigned>(a1), errors);
            keep(waiting[0], waiting[1], errors[0]);
            keep(a0, a1, errors[1]);
            waiting[0] = -1;
            return;
        }
#endif
        keep(a0, a1, error(static_cast<unsigned>(a0), static_cast<unsigned>(a1)));
    };
    // Eight values: a0 > a1, around the largest and the smallest alpha.
    // For each a0, a1 runs only over the values the remaining moves reach.
    for (int a0 = Clamp255(high - window); a0 <= Clamp255(high + window) && best != 0; ++a0) {
        const int reach = steps - Moves(a0 - high, 0);
        const int span = reach < window ? reach : window;
        for (int a1 = Clamp255(low - span); a1 <= Clamp255(low + span); ++a1) {
            const int moves = Moves(a0 - high, a1 - low);  // 0: judged above
            if (a0 > a1 && best != 0 && moves > 0) {
                consider(a0, a1);
            }
        }
    }
    // Six values plus 0 and 255: a0 <= a1 around the inner extremes, worth a
    // look when the block reaches near either end.
    if (best != 0 && (low < 32 || high > 223)) {
        if (innerLow > innerHigh) {
            consider(0, 0);  // only 0 and 255
        } else {
            for (int a0 = Clamp255(innerLow - window); a0 <= Clamp255(innerLow + window) && best != 0; ++a0) {
                const int reach = steps - Moves(a0 - innerLow, 0);
                const int span = reach < window ? reach : window;
                for (int a1 = Clamp255(innerHigh - span); a1 <= Clamp255(innerHigh + span); ++a1) {
                    if (a0 <= a1 && best != 0) {
                        consider(a0, a1);
                    }
                }
            }
        }
    }
    if (waiting[0] >= 0) {
        keep(waiting[0], waiting[1], error(static_cast<unsigned>(waiting[0]), static_cast<unsigned>(waiting[1])));
    }
    return bestA0 == start.a0 && bestA1 == start.a1 ? start : evaluate(bestA0, bestA1);
}

}  // namespace

AlphaChoice FitAlphaRamp(const DWORD* pixels, std::uint16_t texels, int window, int steps) {
#if TOVTEX_SSE2
    return FitAlphaRampWith(pixels, texels, window, steps, CpuHasAvx2() ? AlphaForm::AVX2 : AlphaForm::SSE2);
#else
    return FitAlphaRampWith(pixels, texels, window, steps, AlphaForm::PLAIN);
#endif
}

AlphaChoice FitAlphaRampPlain(const DWORD* pixels, std::uint16_t texels, int window, int steps) {
    return FitAlphaRampWith(pixels, texels, window, steps, AlphaForm::PLAIN);
}

#if TOVTEX_SSE2
AlphaChoice FitAlphaRampSse2(const DWORD* pixels, std::uint16_t texels, int window, int steps) {
    return FitAlphaRampWith(pixels, texels, window, steps, AlphaForm::SSE2);
}

AlphaChoice FitAlphaRampAvx2(const DWORD* pixels, std::uint16_t texels, int window, int steps) {
    return FitAlphaRampWith(pixels, texels, window, steps, AlphaForm::AVX2);
}
#endif

void WriteAlphaRamp(const AlphaChoice& choice, BYTE* block) {
    block[0] = static_cast<BYTE>(choice.a0);
    block[1] = static_cast<BYTE>(choice.a1);
    for (int k = 0; k < 6; ++k) {
        block[2 + k] = static_cast<BYTE>(choice.indices >> (8 * k));
    }
}

std::uint32_t WriteExplicitAlpha(const DWORD* pixels, std::uint16_t texels, BYTE* block) {
    std::uint32_t error = 0;
    for (int row = 0; row < 4; ++row) {
        unsigned word = 0;
        for (int column = 0; column < 4; ++column) {
            const int i = 4 * row + column;
            const int a = static_cast<int>(pixels[i] >> 24);
            const int nibble = (a + 8) / 17;  // nearest n with n x 17 to a
            word |= static_cast<unsigned>(nibble) << (4 * column);
            const int d = a - nibble * 17;
            error += (texels >> i & 1u) ? static_cast<std::uint32_t>(d * d) : 0u;
        }
        block[2 * row] = static_cast<BYTE>(word);
        block[2 * row + 1] = static_cast<BYTE>(word >> 8);
    }
    return error;
}

}  // namespace dxt_search
