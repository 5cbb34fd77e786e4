// WorkerPool: fork-join over a fixed set of threads. Indices are claimed from
// one packed ticket; waiting threads spin for a short while, since the next
// step of a frame follows within microseconds, and then sleep on the word
// they wait for.
#include "core/WorkerPool.h"

#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace velmora {

namespace {

constexpr uint64_t kIndexMask = 0xFFFF;

uint64_t packTicket(uint64_t batch, uint64_t next, uint64_t count) { return batch << 32 | next << 16 | count; }
uint64_t nextOf(uint64_t ticket) { return ticket >> 16 & kIndexMask; }
uint64_t countOf(uint64_t ticket) { return ticket & kIndexMask; }

// Long enough to span the gap between two steps of one frame, short enough
// that idle workers cost nothing between frames of a show.
constexpr auto kSpinTime = std::chrono::microseconds(300);

// Which worker of its pool the current thread is; 0 for any other thread.
thread_local int workerIndex = 0;

void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
}

}  // namespace

WorkerPool::WorkerPool(int threadCount) : threadCount_(threadCount < 1 ? 1 : threadCount) {
    const unsigned cores = std::thread::hardware_concurrency();
    spin_ = cores == 0 || static_cast<unsigned>(threadCount_) <= cores;
    runs_ = std::make_unique<RunBounds[]>(static_cast<size_t>(threadCount_));
    threads_.reserve(static_cast<size_t>(threadCount_ - 1));
    for (int i = 1; i < threadCount_; ++i) threads_.emplace_back([this, i] { workerLoop(i); });
}

WorkerPool::~WorkerPool() {
    stopping_.store(true);
    batches_.fetch_add(1);
    wakeSleepers();
    for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::wakeSleepers() {
    if (sleepers_.load() == 0) return;
    // Taking the lock makes sure a sleeper that has counted itself is already
    // waiting, so the notification cannot pass it by.
    { std::lock_guard<std::mutex> lock(sleepMutex_); }
    sleepWake_.notify_all();
}

void WorkerPool::awaitChange(const std::atomic<uint32_t>& word, uint32_t value) {
    if (spin_) {
        const auto giveUp = std::chrono::steady_clock::now() + kSpinTime;
        for (;;) {
            for (int i = 0; i < 64; ++i) {
                if (word.load(std::memory_order_acquire) != value) return;
                cpuRelax();
            }
            if (std::chrono::steady_clock::now() > giveUp) break;
            // A thread of another program waiting for this core gets it for
            // a moment; on an idle core this returns at once.
            std::this_thread::yield();
        }
    }
    std::unique_lock<std::mutex> lock(sleepMutex_);
    sleepers_.fetch_add(1);
    sleepWake_.wait(lock, [&] { return word.load() != value; });
    sleepers_.fetch_sub(1);
}

int WorkerPool::ownRun() { return workerIndex; }

int WorkerPool::takeFirst(int r) {
    std::atomic<uint32_t>& bounds = runs_[r].bounds;
    uint32_t run = bounds.load(std::memory_order_acquire);
    while ((run >> 16) < (run & 0xFFFF))
        if (bounds.compare_exchange_weak(run, run + 0x10000, std::memory_order_acq_rel, std::memory_order_acquire))
            return static_cast<int>(run >> 16);
    return -1;
}

int WorkerPool::takeLast(int r) {
    std::atomic<uint32_t>& bounds = runs_[r].bounds;
    uint32_t run = bounds.load(std::memory_order_acquire);
    while ((run >> 16) < (run & 0xFFFF))
        if (bounds.compare_exchange_weak(run, run - 1, std::memory_order_acq_rel, std::memory_order_acquire))
            return static_cast<int>(run & 0xFFFF) - 1;
    return -1;
}

void WorkerPool::drainTasks() {
    uint64_t ticket = ticket_.load(std::memory_order_acquire);
    while (nextOf(ticket) < countOf(ticket)) {
        if (!ticket_.compare_exchange_weak(ticket, ticket + (uint64_t{1} << 16), std::memory_order_acq_rel,
                                           std::memory_order_acquire))
            continue;
        // The index is ours and unfinished, so the batch's task stays put.
        call_(context_, static_cast<int>(nextOf(ticket)));
        if (unfinished_.fetch_sub(1) == 1) wakeSleepers();
        ticket = ticket_.load(std::memory_order_acquire);
    }
}

void WorkerPool::runErased(int taskCount, void* context, TaskCall call) {
    if (taskCount <= 0) return;
    if (threads_.empty() || taskCount == 1 || taskCount > kMaxTasks) {
        for (int i = 0; i < taskCount; ++i) call(context, i);
        return;
    }
    // The previous batch has finished (run returns only then), so no thread
    // holds an index of it and the task may change.
    context_ = context;
    call_ = call;
    unfinished_.store(static_cast<uint32_t>(taskCount), std::memory_order_relaxed);
    const uint64_t batch = (ticket_.load(std::memory_order_relaxed) >> 32) + 1;
    ticket_.store(packTicket(batch, 0, static_cast<uint64_t>(taskCount)), std::memory_order_release);
    batches_.fetch_add(1);
    wakeSleepers();
    drainTasks();
    for (uint32_t left = unfinished_.load(std::memory_order_acquire); left != 0;
         left = unfinished_.load(std::memory_order_acquire))
        awaitChange(unfinished_, left);
}

void WorkerPool::workerLoop(int index) {
    workerIndex = index;
    // From the pool's first count, not today's: a thread that starts late
    // must still see the end if it came first.
    uint32_t seen = 0;
    for (;;) {
        awaitChange(batches_, seen);
        seen = batches_.load(std::memory_order_acquire);
        if (stopping_.load()) return;
        drainTasks();
    }
}

}  // namespace velmora
