// Highway as the vector code uses it, included before Highway's own headers: each file is compiled
// for 256- and 512-bit vectors, and the first call picks the best one the processor has. Highway's
// own dispatch lives in its shared library, whose loading alone costs every process start
// milliseconds, so the pick is made here and only Highway's headers are used. Instruction sets and
// features the vector code has no use for are left out, so that asking the processor for those it
// uses is enough.
#pragma once

#define HWY_DISABLED_TARGETS (HWY_SSSE3 | HWY_SSE4 | HWY_AVX3_DL)
#define HWY_DISABLE_PCLMUL_AES
#define HWY_DISABLE_F16C
// Highway's checks of debug builds report through its library too; the tests check every vector
// path at every offset instead.
#define HWY_IS_DEBUG_BUILD 0

namespace dxf {

// Whether the processor has what the 256-bit code is compiled for: Highway's features for it, less
// those left out above.
inline bool runsAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1") &&
           __builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("avx") &&
           __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma");
}

// Whether it has what the 512-bit code is compiled for, which includes the 256-bit code's needs.
inline bool runsAvx512() {
    return runsAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
}

}  // namespace dxf
