// The page's gather: four 32-bit pixels read from four byte addresses held in
// the lanes of a vector. WebAssembly SIMD has no gather instruction; reading
// each pixel straight into its lane costs the page's engine far fewer
// instructions than four scalar reads and a vector built from them.
#pragma once

#if defined(__wasm_simd128__)
#include <cstdint>
#include <wasm_simd128.h>

namespace velmora {

template <int kLane>
inline const void* laneAddress(v128_t address) {
    return reinterpret_cast<const void*>(static_cast<uintptr_t>(wasm_u32x4_extract_lane(address, kLane)));
}

inline v128_t gatherLanes(v128_t address) {
    v128_t pixels = wasm_v128_load32_zero(laneAddress<0>(address));
    pixels = wasm_v128_load32_lane(laneAddress<1>(address), pixels, 1);
    pixels = wasm_v128_load32_lane(laneAddress<2>(address), pixels, 2);
    return wasm_v128_load32_lane(laneAddress<3>(address), pixels, 3);
}

// The byte addresses of base[index] for four indices.
inline v128_t laneAddresses(const uint32_t* base, v128_t index) {
    return wasm_i32x4_add(wasm_i32x4_shl(index, 2),
                          wasm_i32x4_splat(static_cast<int32_t>(reinterpret_cast<uintptr_t>(base))));
}

}  // namespace velmora
#endif
