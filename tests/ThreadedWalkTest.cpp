// ThreadedWalkTest.cpp - every piece of a walk runs once, also when threads fail to start.
#include "logic/rounding/ThreadedWalk.h"

#include <gtest/gtest.h>

#include <atomic>        // std::atomic
#include <set>           // std::set
#include <system_error>  // std::system_error
#include <vector>        // std::vector

TEST(RunOnThreads, RunsEveryPieceOnceWhateverThreadsFailToStart) {
  const struct {
    const char* what;
    std::size_t count;
    std::set<int> failingStarts;  // the starts (0 = the first) that throw
  } cases[] = {
      {"all start", 5, {}},
      {"the first fails after none started", 5, {0}},
      {"a later one fails after others started", 5, {2}},
      {"every start fails", 4, {0, 1, 2}},
      {"one piece needs no thread", 1, {}},
      {"nothing to run", 0, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::atomic<int>> runs(c.count);
    int starts = 0;
    const ThreadStart start = [&](std::function<void()> work) {
      if (c.failingStarts.contains(starts++))
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
      return StartThread(std::move(work));
    };
    RunOnThreads(
        c.count, [&](std::size_t k) { ++runs[k]; }, start);
    for (std::size_t k = 0; k < c.count; ++k) EXPECT_EQ(runs[k], 1) << c.what << ", piece " << k;
  }
}
