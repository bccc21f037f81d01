#include <atomic>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "core/parallel/ParallelFor.h"

TEST(ParallelFor, CoversEveryItemOnceWhateverTheThreadCount)
{
    for (const long long count : {0LL, 1LL, 7LL, 1000LL})
        for (const int threads : {1, 2, 3, 64})
        {
            std::vector<std::atomic<int>> seen(static_cast<size_t>(count));
            EXPECT_TRUE(ParallelFor(
                count,
                [&](long long first, long long last) {
                    for (long long i = first; i < last; ++i)
                        ++seen[static_cast<size_t>(i)];
                },
                threads));
            for (long long i = 0; i < count; ++i)
                ASSERT_EQ(seen[static_cast<size_t>(i)], 1) << count << " items, " << threads << " threads";
        }
}

TEST(ParallelFor, RethrowsABandsFailureAfterEveryBandHasRun)
{
    std::atomic<long long> done{0};
    EXPECT_THROW(ParallelFor(
                     100,
                     [&](long long first, long long last) {
                         done += last - first;
                         if (first == 0)
                             throw std::runtime_error("band failed");
                     },
                     4),
                 std::runtime_error);
    EXPECT_EQ(done, 100);
}
