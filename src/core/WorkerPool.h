// WorkerPool: a fixed set of threads made once per show that runs one frame
// step's tasks side by side. The calling thread takes part, so a pool of N
// threads starts N - 1 of its own; a pool of one runs everything in the caller.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace velmora {

// Part `part` of `parts` of [0, count): contiguous, in order, sizes within one.
struct IndexRange {
    int begin;
    int end;
};
inline IndexRange splitRange(int count, int part, int parts) {
    const int64_t c = count;
    return IndexRange{static_cast<int>(c * part / parts), static_cast<int>(c * (part + 1) / parts)};
}

class WorkerPool {
public:
    // threadCount counts the calling thread; values below 1 count as 1.
    explicit WorkerPool(int threadCount);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threadCount() const { return threadCount_; }

    // Calls task(i) once for every i in [0, taskCount) and returns when all
    // have finished. Which thread runs which index is not fixed, so a task
    // must write only what its index owns. Nothing is allocated; a task must
    // not call run itself. At most kMaxTasks tasks a batch.
    template <class Task>
    void run(int taskCount, Task&& task) {
        using Plain = std::remove_reference_t<Task>;
        runErased(taskCount, const_cast<void*>(static_cast<const void*>(&task)),
                  [](void* context, int index) { (*static_cast<Plain*>(context))(index); });
    }

    static constexpr int kMaxTasks = 0xFFFF;

    // Calls part(begin, end) on pieces of [0, count) that cover it once, side
    // by side, and returns when all have run. Each thread works through a run
    // of pieces of its own first, in order: the same run at every call, so a
    // thread stays on the same part of a surface from one step of a frame to
    // the next. Then it takes pieces from the far ends of the runs not yet
    // done, so that a thread given the heavier part, or held up by the system,
    // does not keep the others waiting. Nothing is allocated.
    template <class Part>
    void runBalanced(int count, Part&& part) {
        const int runs = threadCount_;
        const int pieces = std::min(count, runs * kPiecesPerThread);
        for (int r = 0; r < runs; ++r) {
            const IndexRange own = splitRange(pieces, r, runs);
            runs_[r].bounds.store(packRun(own.begin, own.end), std::memory_order_relaxed);
        }
        // Each task does whatever is left, starting with the run of the thread
        // that runs it (not the run of the task's index, which any thread may
        // claim), so the thread that ran a run last time finds it again.
        run(runs, [&](int) {
            const auto piece = [&](int p) {
                const IndexRange range = splitRange(count, p, pieces);
                part(range.begin, range.end);
            };
            const int own = ownRun() < runs ? ownRun() : 0;
            for (int p = takeFirst(own); p >= 0; p = takeFirst(own)) piece(p);
            for (int k = 1; k < runs; ++k)
                for (int p = takeLast((own + k) % runs); p >= 0; p = takeLast((own + k) % runs)) piece(p);
        });
    }

private:
    // Pieces a thread's own run holds: enough that the last ones can even out
    // the threads, few enough that each is a long stretch of work.
    static constexpr int kPiecesPerThread = 4;

    // One thread's run of pieces, first (upper 16 bits) to end (lower 16),
    // alone on its cache line: its owner takes from the front, the others
    // from the back, one compare-and-swap a piece.
    struct alignas(64) RunBounds {
        std::atomic<uint32_t> bounds{0};
    };
    static uint32_t packRun(int first, int end) {
        return static_cast<uint32_t>(first) << 16 | static_cast<uint32_t>(end);
    }
    // The calling thread's run: 0 for a thread that is not one of a pool's
    // own (the one that calls run), i for the pool's worker i.
    static int ownRun();
    // The first (last) piece left in run r, taken; -1 when the run is done.
    int takeFirst(int r);
    int takeLast(int r);

    using TaskCall = void (*)(void* context, int index);

    void runErased(int taskCount, void* context, TaskCall call);
    void workerLoop(int index);
    // Claims indices of the batch in the ticket until none is left.
    void drainTasks();
    // Waits, spinning first, until `word` no longer holds `value`.
    void awaitChange(const std::atomic<uint32_t>& word, uint32_t value);
    // Wakes every thread asleep in awaitChange; called after changing a word.
    void wakeSleepers();

    int threadCount_ = 1;
    // Spinning only pays when every thread has a core of its own; with more
    // threads than cores a waiting thread sleeps at once.
    bool spin_ = false;
    std::vector<std::thread> threads_;
    std::unique_ptr<RunBounds[]> runs_;  // one per thread, made with the pool

    // The batch being run: batch number (upper 32 bits), next index (16) and
    // task count (16) in one word, so a thread claims an index of one
    // particular batch with one compare-and-swap and can never take an index
    // of the next batch with the last one's task. context_ and call_ are
    // written before the ticket is published and read only by a thread that
    // holds an unfinished index, so they cannot change under it.
    std::atomic<uint64_t> ticket_{0};
    void* context_ = nullptr;
    TaskCall call_ = nullptr;
    std::atomic<uint32_t> unfinished_{0};  // tasks of the batch not yet finished
    std::atomic<uint32_t> batches_{0};     // bumped with every batch and at the end: wakes workers
    std::atomic<bool> stopping_{false};

    // Sleeping after the spin. A sleeper counts itself before it looks at its
    // word and a waker changes the word before it looks at the count, so one
    // of the two always sees the other.
    std::mutex sleepMutex_;
    std::condition_variable sleepWake_;
    std::atomic<int> sleepers_{0};
};

// task(i) for i in [0, taskCount): on the pool when there is one with more
// than one thread, else in order on the calling thread.
template <class Task>
void runTasks(WorkerPool* pool, int taskCount, Task&& task) {
    if (pool && pool->threadCount() > 1 && taskCount > 1) {
        pool->run(taskCount, task);
        return;
    }
    for (int i = 0; i < taskCount; ++i) task(i);
}

// The threads a pool runs on; 1 without a pool.
inline int threadsOf(const WorkerPool* pool) { return pool ? pool->threadCount() : 1; }

// part(begin, end) over contiguous pieces of [0, count) that cover it once, side
// by side on the pool (WorkerPool::runBalanced); part(0, count) on the calling
// thread without one. Pieces must not depend on one another or on their sizes.
template <class Part>
void runInParts(WorkerPool* pool, int count, Part&& part) {
    if (pool && pool->threadCount() > 1 && count > 1) {
        pool->runBalanced(count, part);
        return;
    }
    part(0, count);
}

}  // namespace velmora
