#include "app/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// Results come out in the order of the items however long each takes, and
// no more than two per thread are held ahead of the next one out.
TEST(BatchTest, ResultsComeOutInOrderWithBoundedLead) {
  for (int jobs : {1, 2, 5}) {
    std::atomic<size_t> begun{0};
    std::vector<size_t> emitted;
    size_t mostAhead = 0;
    runInOrder<size_t>(
        40, jobs,
        [&](size_t item) {
          ++begun;
          // The early items are slow, so that later ones finish first.
          if (item % 7 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          return item * 10;
        },
        [&](size_t item, size_t& result) {
          EXPECT_EQ(item * 10, result);
          mostAhead = std::max(mostAhead, begun.load() - item);
          emitted.push_back(item);
        });
    std::vector<size_t> expected(40);
    for (size_t k = 0; k < 40; ++k) expected[k] = k;
    EXPECT_EQ(expected, emitted) << jobs;
    EXPECT_LE(mostAhead, 2u * jobs) << jobs;
  }
  runInOrder<int>(
      0, 4, [](size_t) { return 0; },
      [](size_t, int&) { ADD_FAILURE() << "nothing to emit"; });
}

}  // namespace
