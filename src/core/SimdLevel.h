// Which vector instructions the fast paths may use: the best the processor has,
// chosen once at run time, and lowered by tests to compare each fast path with
// the plain code it replaces.
#pragma once

// Vector code is written for x86 processors; elsewhere the plain code runs.
#if defined(__x86_64__) || defined(__i386__)
#define VELMORA_X86 1
#else
#define VELMORA_X86 0
#endif

namespace velmora {

enum class SimdLevel : int { Plain = 0, Sse2 = 1, Avx2 = 2 };

// What the processor (and the operating system) supports.
SimdLevel supportedSimdLevel();
// The level in use; starts at supportedSimdLevel().
SimdLevel simdLevel();
// Uses `level`, capped at what is supported; returns the level now in use.
SimdLevel setSimdLevel(SimdLevel level);

inline bool useAvx2() { return simdLevel() == SimdLevel::Avx2; }
inline bool useSse2() { return simdLevel() >= SimdLevel::Sse2; }

}  // namespace velmora
