// Quicksort of depth keys carrying triangle indices.
#include "object3d/DepthSort.h"

#include <utility>

namespace velmora {

namespace {

void sortRange(float* key, int32_t* carried, int32_t lo, int32_t hi) {
    while (lo < hi) {
        const float pivot = key[(static_cast<int64_t>(lo) + hi) / 2];
        int32_t i = lo;
        int32_t j = hi;
        // Each scan stops at an element that is not < (not >) the pivot, NaN
        // included, so both stay inside lo..hi.
        while (i <= j) {
            while (key[i] < pivot) ++i;
            while (key[j] > pivot) --j;
            if (i <= j) {
                std::swap(key[i], key[j]);
                std::swap(carried[i], carried[j]);
                ++i;
                --j;
            }
        }
        // lo..j and i..hi are disjoint, so sorting them in either order gives the
        // same array; recursing into the smaller one bounds the stack depth.
        if (j - lo < hi - i) {
            sortRange(key, carried, lo, j);
            lo = i;
        } else {
            sortRange(key, carried, i, hi);
            hi = j;
        }
    }
}

}  // namespace

void sortByDepth(std::span<float> keys, std::span<int32_t> order) {
    if (keys.size() < 2 || order.size() != keys.size()) return;
    sortRange(keys.data(), order.data(), 0, static_cast<int32_t>(keys.size() - 1));
}

}  // namespace velmora
