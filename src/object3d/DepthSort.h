// Painter's order for the object box: the triangles' mean depths sorted
// ascending with the triangle indices carried along.
#pragma once

#include <cstdint>
#include <span>

namespace velmora {

class WorkerPool;

// A quicksort with a middle pivot and crossing scans; equal keys end up in the
// order it leaves them, which decides which of two equally deep faces is drawn
// last, so the frames depend on this exact algorithm. `order` has keys.size()
// entries. With workers, the first partitions are made on the calling thread
// and the parts they leave are sorted side by side: the same array results.
void sortByDepth(std::span<float> keys, std::span<int32_t> order, WorkerPool* workers = nullptr);

}  // namespace velmora
