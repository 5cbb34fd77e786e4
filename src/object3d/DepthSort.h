// Painter's order for the object box: the triangles' mean depths sorted
// ascending with the triangle indices carried along.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

class WorkerPool;

// A quicksort with a middle pivot and crossing scans; equal keys end up in the
// order it leaves them, which decides which of two equally deep faces is drawn
// last, so the frames depend on this exact algorithm. `order` has keys.size()
// entries. With workers, the first partitions are made on the calling thread
// and the parts they leave are sorted side by side: the same array results.
// With `scratch`, keys that turn out all different (no two equal, no NaN) are
// radix sorted instead: the ascending order is then the only one, the one the
// quicksort leaves too; any tie sorts again by the quicksort.
struct DepthSortScratch {
    std::vector<uint64_t> items, spare;  // grown to the largest count, then kept
};
void sortByDepth(std::span<float> keys, std::span<int32_t> order, WorkerPool* workers = nullptr,
                 DepthSortScratch* scratch = nullptr);

}  // namespace velmora
