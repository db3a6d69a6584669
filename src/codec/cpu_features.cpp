#include "codec/cpu_features.h"

bool CpuHasAvx2() {
#if TOVTEX_SSE2
    // Asked on first use, which may come before the runtime's own
    // constructors have run: initialise the query first.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("fma") != 0;
    }();
    return has;
#else
    return false;
#endif
}
