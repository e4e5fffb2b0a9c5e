#include <gtest/gtest.h>

#include <vector>

#include "Stats.h"

using namespace bench;

namespace {

std::vector<double> OneTo(int count) {
  std::vector<double> samples;
  // Descending, so that a percentile taken without sorting is caught.
  for (int i = count; i >= 1; --i) samples.push_back(i);
  return samples;
}

}  // namespace

// The figures the benchmark reports are nearest-rank: always a sample that
// was seen, and p99 of 300 presses is the third-highest of them.
TEST(Percentile, IsTheNearestRankSample) {
  struct Case {
    std::vector<double> samples;
    double p;
    double expected;
  };
  const Case cases[] = {
      {OneTo(300), 50, 150},   {OneTo(300), 95, 285}, {OneTo(300), 99, 297},
      {OneTo(300), 100, 300},  {OneTo(20), 50, 10},   {OneTo(1), 99, 1},
      {OneTo(3), 50, 2},       {OneTo(4), 50, 2},     {{7.5, 2.5}, 1, 2.5},
      {{}, 50, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Percentile(c.samples, c.p), c.expected)
        << c.samples.size() << " samples, p" << c.p;
  }
}
