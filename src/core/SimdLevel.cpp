// Run-time detection of the vector instruction set.
#include "core/SimdLevel.h"

namespace velmora {

namespace {

SimdLevel detect() {
#if VELMORA_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
#endif
#if defined(__SSE2__)
    return SimdLevel::Sse2;
#else
    return SimdLevel::Plain;
#endif
}

}  // namespace

SimdLevel supportedSimdLevel() {
    static const SimdLevel supported = detect();
    return supported;
}

}  // namespace velmora
