// The one place that turns a vector level into kernels: every other file calls
// through the tables, so no drawing call asks for the level again.
#include "boxes/Kernels.h"

#include <cstdlib>
#include <string_view>

#include "surface/RowKernels.h"

namespace velmora {

namespace {

constexpr BoxKernels kPlain{kernels::blurRowsPlain, kernels::blurColumnsPlain, kernels::gridBlocksPlain,
                            nullptr, nullptr};
#if defined(__SSE2__)
constexpr BoxKernels kSse2{kernels::blurRowsSse2, kernels::blurColumnsSse2, kernels::gridBlocksSse2,
                           kernels::radialSweepSse2, kernels::voxelMarchSse2};
#endif
#if VELMORA_X86
constexpr BoxKernels kAvx2{kernels::blurRowsAvx2, kernels::blurColumnsAvx2, kernels::gridBlocksAvx2,
                           kernels::radialSweepAvx2, kernels::voxelMarchAvx2};
#endif

}  // namespace

const BoxKernels* boxKernels = &kPlain;

SimdLevel chooseKernels(SimdLevel level) {
    if (level > supportedSimdLevel()) level = supportedSimdLevel();
    switch (level) {
        case SimdLevel::Plain:
            rows::active = &rows::kPlainKernels;
            boxKernels = &kPlain;
            break;
        case SimdLevel::Sse2:
#if defined(__wasm_simd128__)
            rows::active = &rows::kWasmKernels;
#else
            rows::active = &rows::kSse2Kernels;
#endif
#if defined(__SSE2__)
            boxKernels = &kSse2;
#endif
            break;
        case SimdLevel::Avx2:
            rows::active = &rows::kAvx2Kernels;
#if VELMORA_X86
            boxKernels = &kAvx2;
#endif
            break;
    }
    return level;
}

SimdLevel kernelsInUse() {
#if VELMORA_X86
    if (boxKernels == &kAvx2) return SimdLevel::Avx2;
#endif
    return rows::active == &rows::kPlainKernels ? SimdLevel::Plain : SimdLevel::Sse2;
}

std::string chooseKernelsFromEnvironment() {
    const char* level = std::getenv("VELMORA_SIMD");
    if (!level) return {};
    const std::string_view name(level);
    if (name == "plain") chooseKernels(SimdLevel::Plain);
    else if (name == "sse2") chooseKernels(SimdLevel::Sse2);
    else if (name == "avx2") chooseKernels(SimdLevel::Avx2);
    else
        return "VELMORA_SIMD: expected plain, sse2 or avx2, not \"" + std::string(name) +
               "\"; using the processor's best";
    return {};
}

namespace {

// The best kernels from the start: before main, as the program loads.
const SimdLevel kChosenAtStart = chooseKernels(supportedSimdLevel());

}  // namespace

}  // namespace velmora
