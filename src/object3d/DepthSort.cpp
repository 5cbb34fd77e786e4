// Quicksort of depth keys carrying triangle indices.
#include "object3d/DepthSort.h"

#include <algorithm>
#include <array>
#include <cstring>
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

// Ranges of up to this many keys are first tried by insertion.
constexpr int32_t kSmallRange = 16;

// lo..hi (fewer than kSmallRange keys) sorted by insertion when its keys turn
// out all different (no two equal, no NaN): their ascending order is then the
// only one, the one the partitions would leave too. False, with the range
// untouched, otherwise.
bool sortSmallDistinct(float* key, int32_t* carried, int32_t lo, int32_t hi) {
    float k[kSmallRange];
    int32_t c[kSmallRange];
    const int32_t n = hi - lo + 1;
    for (int32_t i = 0; i < n; ++i) {
        const float value = key[lo + i];
        const int32_t index = carried[lo + i];
        int32_t j = i;
        for (; j > 0 && value < k[j - 1]; --j) {
            k[j] = k[j - 1];
            c[j] = c[j - 1];
        }
        k[j] = value;
        c[j] = index;
    }
    for (int32_t i = 1; i < n; ++i)
        if (!(k[i - 1] < k[i])) return false;
    std::copy(k, k + n, key + lo);
    std::copy(c, c + n, carried + lo);
    return true;
}

void sortRange(float* key, int32_t* carried, int32_t lo, int32_t hi) {
    while (lo < hi) {
        if (hi - lo < kSmallRange && sortSmallDistinct(key, carried, lo, hi)) return;
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
constexpr int32_t kSplitFrom = 512;

// A key's bits as an unsigned number in the float order (-0 just below +0,
// which the check for ties then catches).
uint32_t ordered(float key) {
    uint32_t bits;
    std::memcpy(&bits, &key, sizeof bits);
    return (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
}

float unordered(uint32_t k) {
    const uint32_t bits = (k & 0x80000000u) ? (k & 0x7FFFFFFFu) : ~k;
    float key;
    std::memcpy(&key, &bits, sizeof key);
    return key;
}

// Items [lo, hi) of `from` (built from the keys) radix sorted by their keys,
// using `to` over the same range; the result is left in `from`.
void radixSortRange(std::span<const float> keys, uint64_t* from, uint64_t* to, size_t lo, size_t hi) {
    uint64_t* const home = from;
    std::array<std::array<uint32_t, 256>, 4> counts{};
    for (size_t i = lo; i < hi; ++i) {
        const uint32_t k = ordered(keys[i]);
        from[i] = (uint64_t{k} << 32) | static_cast<uint32_t>(i);
        for (int pass = 0; pass < 4; ++pass) ++counts[static_cast<size_t>(pass)][(k >> (8 * pass)) & 0xFFu];
    }
    for (int pass = 0; pass < 4; ++pass) {
        std::array<uint32_t, 256>& count = counts[static_cast<size_t>(pass)];
        const int shift = 32 + 8 * pass;
        // A byte all keys share moves nothing.
        if (count[(from[lo] >> shift) & 0xFFu] == hi - lo) continue;
        uint32_t sum = static_cast<uint32_t>(lo);
        for (uint32_t& c : count) {
            const uint32_t here = c;
            c = sum;
            sum += here;
        }
        for (size_t i = lo; i < hi; ++i) to[count[(from[i] >> shift) & 0xFFu]++] = from[i];
        std::swap(from, to);
    }
    if (from != home) std::copy(from + lo, from + hi, home + lo);
}

// Sorts keys and order together by four byte-wide counting passes over
// (key, position) pairs; false, with both untouched, when two keys are equal
// or one is NaN (the sorted keys are not strictly ascending then).
bool radixSortDistinct(std::span<float> keys, std::span<int32_t> order, DepthSortScratch& scratch) {
    const size_t n = keys.size();
    if (scratch.items.size() < n) {
        scratch.items.resize(n);
        scratch.spare.resize(n);
    }
    uint64_t* const from = scratch.items.data();
    radixSortRange(keys, from, scratch.spare.data(), 0, n);
    for (size_t i = 1; i < n; ++i)
        if (!(keys[static_cast<uint32_t>(from[i - 1])] < keys[static_cast<uint32_t>(from[i])])) return false;
    // The carried indices by position first, then both arrays written over.
    for (size_t i = 0; i < n; ++i)
        from[i] = (from[i] & 0xFFFFFFFF00000000u) | static_cast<uint32_t>(order[static_cast<uint32_t>(from[i])]);
    for (size_t i = 0; i < n; ++i) {
        keys[i] = unordered(static_cast<uint32_t>(from[i] >> 32));
        order[i] = static_cast<int32_t>(static_cast<uint32_t>(from[i]));
    }
    return true;
}

// Below this many keys the radix sort stays on one thread.
constexpr size_t kSplitRadixFrom = 512;

// radixSortDistinct on two threads: each half of the positions sorted on its
// own, then the two sorted halves merged from both ends at once (the front
// merge gives the first half of the result, the back merge the second), the
// order checked and the carried indices fetched, then both arrays written.
// The same answer: distinct keys have one ascending order.
bool radixSortDistinctSplit(std::span<float> keys, std::span<int32_t> order, DepthSortScratch& scratch,
                            WorkerPool* workers) {
    const size_t n = keys.size();
    if (scratch.items.size() < n) {
        scratch.items.resize(n);
        scratch.spare.resize(n);
    }
    uint64_t* const halves = scratch.items.data();
    uint64_t* const merged = scratch.spare.data();
    const size_t half = n / 2;
    runTasks(workers, 2, [&](int p) {
        radixSortRange(keys, halves, merged, p == 0 ? 0 : half, p == 0 ? half : n);
    });
    const auto keyOf = [](uint64_t item) { return unordered(static_cast<uint32_t>(item >> 32)); };
    std::array<bool, 2> ascending{true, true};
    runTasks(workers, 2, [&](int p) {
        if (p == 0) {
            size_t a = 0, b = half;
            for (size_t k = 0; k < half; ++k)
                merged[k] = (b == n || (a < half && halves[a] < halves[b])) ? halves[a++] : halves[b++];
        } else {
            size_t a = half, b = n;  // one past the next item of each half, from the back
            for (size_t k = n; k-- > half;)
                merged[k] = (a == 0 || (b > half && halves[b - 1] > halves[a - 1])) ? halves[--b] : halves[--a];
        }
        const size_t lo = p == 0 ? 0 : half;
        const size_t hi = p == 0 ? half : n;
        for (size_t k = lo + 1; k < hi; ++k)
            if (!(keyOf(merged[k - 1]) < keyOf(merged[k]))) ascending[static_cast<size_t>(p)] = false;
        for (size_t k = lo; k < hi; ++k)
            merged[k] = (merged[k] & 0xFFFFFFFF00000000u) |
                        static_cast<uint32_t>(order[static_cast<uint32_t>(merged[k])]);
    });
    if (!ascending[0] || !ascending[1]) return false;
    if (half > 0 && !(keyOf(merged[half - 1]) < keyOf(merged[half]))) return false;
    runTasks(workers, 2, [&](int p) {
        for (size_t k = p == 0 ? 0 : half; k < (p == 0 ? half : n); ++k) {
            keys[k] = keyOf(merged[k]);
            order[k] = static_cast<int32_t>(static_cast<uint32_t>(merged[k]));
        }
    });
    return true;
}

}  // namespace

void sortByDepth(std::span<float> keys, std::span<int32_t> order, WorkerPool* workers, DepthSortScratch* scratch) {
    if (keys.size() < 2 || order.size() != keys.size()) return;
    if (scratch) {
        const bool sorted = threadsOf(workers) > 1 && keys.size() >= kSplitRadixFrom
                                ? radixSortDistinctSplit(keys, order, *scratch, workers)
                                : radixSortDistinct(keys, order, *scratch);
        if (sorted) return;
    }
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
