// Which vector instructions the fast paths may use: the best the processor has,
// detected once. The kernels are chosen from it once (boxes/Kernels.h), and
// chosen again for a lower level by tests that compare each fast path with the
// plain code it replaces.
#pragma once

#include "core/Cpu.h"

namespace velmora {

enum class SimdLevel : int { Plain = 0, Sse2 = 1, Avx2 = 2 };

// What the processor (and the operating system) supports.
SimdLevel supportedSimdLevel();

}  // namespace velmora
