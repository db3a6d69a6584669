#include "codec/dxt_key_order.h"

#include "codec/cpu_features.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace dxt_search {

#if TOVTEX_SSE2
namespace {

// Bits set per byte: the build does not assume a popcnt instruction, and
// the library's fallback is a call.
struct ByteBits {
    unsigned char count[256];
};

constexpr ByteBits MakeByteBits() {
    ByteBits t{};
    for (int b = 0; b < 256; ++b) {
        t.count[b] = static_cast<unsigned char>((b & 1) + (b >> 1 & 1) + (b >> 2 & 1) + (b >> 3 & 1) + (b >> 4 & 1) +
                                                (b >> 5 & 1) + (b >> 6 & 1) + (b >> 7 & 1));
    }
    return t;
}

inline constexpr ByteBits BYTE_BITS = MakeByteBits();

inline int Bits16(int v) {
    return BYTE_BITS.count[v & 255] + BYTE_BITS.count[v >> 8 & 255];
}

}  // namespace
#endif

int OrderByKeyPlain(const float* key, const std::uint32_t* weight, int* order) {
    float sorted[16];
    int n = 0;
    for (int i = 0; i < 16; ++i) {
        if (weight[i] == 0) {
            continue;
        }
        const float t = key[i];
        int at = n++;
        while (at > 0 && sorted[at - 1] > t) {
            sorted[at] = sorted[at - 1];
            order[at] = order[at - 1];
            --at;
        }
        sorted[at] = t;
        order[at] = i;
    }
    return n;
}

#if TOVTEX_SSE2
int OrderByKeySse2(const float* key, const std::uint32_t* weight, int* order) {
    // A texel's place: the texels of weight with a lower key, and those
    // before it with an equal one.
    __m128 keys[4];
    int seen = 0, unordered = 0;
    for (int g = 0; g < 4; ++g) {
        keys[g] = _mm_loadu_ps(key + 4 * g);
        unordered |= _mm_movemask_ps(_mm_cmpunord_ps(keys[g], keys[g]));
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weight + 4 * g));
        const int none = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(w, _mm_setzero_si128())));
        seen |= (~none & 15) << (4 * g);
    }
    // A key that is not a number ranks with no other: the insertion sort
    // gives such keys its own order (and every texel a place).
    if (unordered != 0) {
        return OrderByKeyPlain(key, weight, order);
    }
    for (int i = 0; i < 16; ++i) {
        if (!(seen >> i & 1)) {
            continue;
        }
        const __m128 t = _mm_set1_ps(key[i]);
        int lower = 0, equal = 0;
        for (int g = 0; g < 4; ++g) {
            lower |= _mm_movemask_ps(_mm_cmplt_ps(keys[g], t)) << (4 * g);
            equal |= _mm_movemask_ps(_mm_cmpeq_ps(keys[g], t)) << (4 * g);
        }
        const int before = (1 << i) - 1;
        order[Bits16((lower | (equal & before)) & seen)] = i;
    }
    return Bits16(seen);
}
#endif

int OrderByKey(const float* key, const std::uint32_t* weight, int* order) {
#if TOVTEX_SSE2
    static const bool wide = CpuHasAvx2();
    return wide ? OrderByKeyAvx2(key, weight, order) : OrderByKeySse2(key, weight, order);
#else
    return OrderByKeyPlain(key, weight, order);
#endif
}

}  // namespace dxt_search
