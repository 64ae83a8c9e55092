#include <gtest/gtest.h>

#include "ui/DpiMath.h"

namespace {

TEST(ScaleFrom96, RoundsHalvesAwayFromZero) {
  struct Case {
    int value, ppi, expected;
  } const cases[] = {
      {16, 96, 16}, {16, 120, 20},   {16, 144, 24}, {16, 192, 32}, {5, 120, 6},
      {5, 144, 8},  {-15, 144, -23}, {-5, 144, -8}, {26, 144, 39}, {37, 144, 56},
      {0, 144, 0},  {1, 72, 1},      {-1, 72, -1},  {3, 168, 5},   {500, 144, 750},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleFrom96(c.value, c.ppi), c.expected) << c.value << " at " << c.ppi;
}

TEST(MulDivRound, ScalesBetweenAnyTwoDpis) {
  EXPECT_EQ(MulDivRound(157, 144, 96), 236);
  EXPECT_EQ(MulDivRound(236, 96, 144), 157);
  EXPECT_EQ(MulDivRound(-7, 1, 2), -4);
}

}  // namespace
