#pragma once
// What the processor offers beyond the SSE2 the build assumes, asked once.
// The wider kernels live in files of their own compiled for that processor
// (dxt_*_avx2.cpp) and are called only where these answer true.

// AVX2 together with FMA, which every processor with AVX2 we know of has:
// a kernel whose sums are exact may fuse its products into them.
bool CpuHasAvx2();
