// The worker pool: every task index runs exactly once per batch whatever the
// thread count, batches follow one another on the same threads, and the
// thread count is read from text as the command line and the environment give it.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "core/ThreadCount.h"
#include "core/WorkerPool.h"

using namespace velmora;

namespace {

class WorkerPoolThreads : public ::testing::TestWithParam<int> {};

TEST_P(WorkerPoolThreads, EveryIndexRunsOncePerBatch) {
    WorkerPool pool(GetParam());
    EXPECT_EQ(pool.threadCount(), GetParam());
    std::vector<int> runs(40, 0);
    // Batches of every size from none to more tasks than threads, one after
    // another: a late thread must never run an index of the next batch twice.
    for (int batch = 0; batch < 300; ++batch) {
        const int taskCount = batch % 41;
        pool.run(taskCount, [&](int i) { runs[static_cast<size_t>(i)] += 1; });
        for (int i = 0; i < 40; ++i)
            ASSERT_EQ(runs[static_cast<size_t>(i)], i < taskCount ? 1 : 0) << "batch " << batch << " index " << i;
        std::fill(runs.begin(), runs.end(), 0);
    }
}

TEST_P(WorkerPoolThreads, SplitRangesCoverEveryIndexInOrder) {
    const int parts = GetParam();
    for (int count : {0, 1, 7, 32, 256}) {
        int next = 0;
        for (int part = 0; part < parts; ++part) {
            const IndexRange range = splitRange(count, part, parts);
            EXPECT_EQ(range.begin, next) << count << " part " << part;
            EXPECT_LE(range.end - range.begin, count / parts + 1);
            next = range.end;
        }
        EXPECT_EQ(next, count);
    }
}

TEST_P(WorkerPoolThreads, BalancedPiecesCoverEveryIndexOnce) {
    WorkerPool pool(GetParam());
    std::vector<std::atomic<int>> hits(1000);
    // Many batches, so that threads late to one and pieces taken from the far
    // end of another thread's run both happen.
    for (int batch = 0; batch < 200; ++batch) {
        const int count = (batch * 37) % 1000;
        for (std::atomic<int>& h : hits) h.store(0);
        std::atomic<int> emptyPieces{0};
        runInParts(&pool, count, [&](int begin, int end) {
            if (begin >= end && count > 0) emptyPieces.fetch_add(1);
            for (int i = begin; i < end; ++i) hits[static_cast<size_t>(i)].fetch_add(1);
        });
        EXPECT_EQ(emptyPieces.load(), 0) << "batch " << batch;
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(hits[static_cast<size_t>(i)].load(), i < count ? 1 : 0) << "batch " << batch << " index " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, WorkerPoolThreads, ::testing::Values(1, 2, 3, 8));

TEST(WorkerPoolThreadCount, OnlyWholeNumbersFromOneToTheLimit) {
    struct Case {
        const char* text;
        std::optional<int> count;
    };
    const Case cases[] = {{"1", 1},        {"2", 2},         {"64", 64},         {"0", std::nullopt},
                          {"65", std::nullopt}, {"-1", std::nullopt}, {"2x", std::nullopt}, {"", std::nullopt},
                          {" 2", std::nullopt}, {"99999999999", std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(parseThreadCount(c.text), c.count) << '"' << c.text << '"';
    EXPECT_GE(coreCount(), 1);
    EXPECT_LE(coreCount(), kMaxThreads);
}

}  // namespace
