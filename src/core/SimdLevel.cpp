// Run-time choice of the vector instruction set.
#include "core/SimdLevel.h"

namespace velmora {

namespace {

SimdLevel detect() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
#endif
#if defined(__SSE2__)
    return SimdLevel::Sse2;
#else
    return SimdLevel::Plain;
#endif
}

SimdLevel& current() {
    static SimdLevel level = supportedSimdLevel();
    return level;
}

}  // namespace

SimdLevel supportedSimdLevel() {
    static const SimdLevel supported = detect();
    return supported;
}

SimdLevel simdLevel() { return current(); }

SimdLevel setSimdLevel(SimdLevel level) {
    current() = level > supportedSimdLevel() ? supportedSimdLevel() : level;
    return current();
}

}  // namespace velmora
