// Quicksort of depth keys carrying triangle indices.
#include "object3d/DepthSort.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/WorkerPool.h"

namespace velmora {

namespace {

struct Part {
    int32_t lo;
    int32_t hi;
    int32_t size() const { return hi - lo + 1; }
};

// One partition step of lo..hi (lo < hi) around its middle key: afterwards
// every key of lo..j is <= every key of i..hi, and the two sort apart.
std::pair<Part, Part> partition(float* key, int32_t* carried, int32_t lo, int32_t hi) {
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
    return {Part{lo, j}, Part{i, hi}};
}

void sortRange(float* key, int32_t* carried, int32_t lo, int32_t hi) {
    while (lo < hi) {
        const auto [left, right] = partition(key, carried, lo, hi);
        // The two parts are disjoint, so sorting them in either order gives the
        // same array; recursing into the smaller one bounds the stack depth.
        if (left.size() < right.size()) {
            sortRange(key, carried, left.lo, left.hi);
            lo = right.lo;
        } else {
            sortRange(key, carried, right.lo, right.hi);
            hi = left.hi;
        }
    }
}

// Below this many keys the partitions made up front cost more than the
// second thread saves.
constexpr int32_t kSplitFrom = 2048;

}  // namespace

void sortByDepth(std::span<float> keys, std::span<int32_t> order, WorkerPool* workers) {
    if (keys.size() < 2 || order.size() != keys.size()) return;
    const auto last = static_cast<int32_t>(keys.size() - 1);
    if (threadsOf(workers) < 2 || last + 1 < kSplitFrom) {
        sortRange(keys.data(), order.data(), 0, last);
        return;
    }
    // Cut the largest part until there are a few per thread, then sort the
    // parts largest first, so that the threads finish close together.
    std::array<Part, 8> parts{};
    int count = 1;
    parts[0] = Part{0, last};
    const int wanted = std::min<int>(static_cast<int>(parts.size()) - 1, 2 * threadsOf(workers));
    while (count < wanted) {
        const auto largest = std::max_element(parts.begin(), parts.begin() + count,
                                              [](const Part& a, const Part& b) { return a.size() < b.size(); });
        if (largest->size() < kSplitFrom / 2) break;
        const auto [left, right] = partition(keys.data(), order.data(), largest->lo, largest->hi);
        *largest = left;
        parts[static_cast<size_t>(count++)] = right;
    }
    std::sort(parts.begin(), parts.begin() + count, [](const Part& a, const Part& b) { return a.size() > b.size(); });
    runTasks(workers, count, [&](int p) {
        const Part part = parts[static_cast<size_t>(p)];
        sortRange(keys.data(), order.data(), part.lo, part.hi);
    });
}

}  // namespace velmora
