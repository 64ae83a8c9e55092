// Where ShowOwner puts a window, on one 1920 x 1080 monitor with a task bar
// of 40 at the bottom, or beside a second monitor.
#include <gtest/gtest.h>

#include <ostream>

#include "ui/Placement.h"

void PrintTo(const TScreenPoint& p, std::ostream* os) {
  *os << "(" << p.Left << ", " << p.Top << ")";
}

namespace {

constexpr TScreenRect kPrimary{0, 0, 1920, 1080};
constexpr TScreenRect kWorkArea{0, 0, 1920, 1040};

TOwnerPlacement Beside(TFormDirection direction, TScreenRect owner, int clientWidth = -1) {
  TOwnerPlacement p;
  p.Direction = direction;
  p.W = 400;
  p.H = 300;
  p.HasOwner = true;
  p.Owner = owner;
  p.OwnerClientWidth = clientWidth < 0 ? owner.Width - 2 : clientWidth;
  p.WorkArea = kWorkArea;
  p.Primary = kPrimary;
  return p;
}

TEST(PlaceBesideOwner, FollowsEachDirectionAndItsFallbacks) {
  struct Case {
    const char* what;
    TOwnerPlacement placement;
    TScreenPoint expected;
  } const cases[] = {
      // The client width, no gap.
      {"right", Beside(fdRight, {100, 100, 500, 400}, 498), {598, 100}},
      {"right at the edge goes left", Beside(fdRight, {1500, 100, 400, 400}), {1099, 100}},
      // No room on the left either: centred in the work area.
      {"right without room", Beside(fdRight, {300, 100, 1600, 400}), {760, 100}},
      {"right, bottom check", Beside(fdRight, {100, 900, 500, 400}), {598, 740}},
      {"center", Beside(fdCenter, {100, 100, 600, 500}), {200, 200}},
      {"left", Beside(fdLeft, {800, 100, 500, 400}), {399, 100}},
      {"left at the edge goes right, 1 pixel apart",
       Beside(fdLeft, {10, 100, 500, 400}),
       {511, 100}},
      {"left bottom", Beside(fdLeftBottom, {800, 100, 500, 400}), {399, 200}},
      {"left bottom at the edge", Beside(fdLeftBottom, {10, 100, 500, 400}), {511, 200}},
      {"right bottom", Beside(fdRightBottom, {100, 100, 500, 400}), {601, 200}},
      {"right bottom at the edge", Beside(fdRightBottom, {1500, 100, 400, 400}), {1099, 200}},
      {"primary center", Beside(fdPrimaryCenter, {100, 100, 500, 400}), {760, 390}},
      // Above the work area: moved down to its top.
      {"top clamp", Beside(fdCenter, {100, -400, 600, 500}), {200, 0}},
  };
  for (const Case& c : cases) {
    const TScreenPoint got = PlaceBesideOwner(c.placement);
    EXPECT_EQ(got.Left, c.expected.Left) << c.what;
    EXPECT_EQ(got.Top, c.expected.Top) << c.what;
  }
}

TEST(PlaceBesideOwner, ReCentresOnThePrimaryWhenFarOutsideTheOwnersWorkArea) {
  // The owner sits on a second monitor to the right; a window more than 100
  // pixels left of that monitor's work area goes to the primary's middle.
  TOwnerPlacement p = Beside(fdLeft, {1930, 100, 500, 400});
  p.WorkArea = {1920, 0, 1280, 1024};
  p.Direction = fdCenter;
  p.W = 800;
  p.Owner = {1900, 100, 200, 400};  // centred: Left = 1900 - 300 = 1600 < 1820
  EXPECT_EQ(PlaceBesideOwner(p), (TScreenPoint{560, 150}));

  // Within 100 pixels of it: left where it is.
  p.Owner = {2000, 100, 700, 400};  // Left = 2000 - 50 = 1950
  EXPECT_EQ(PlaceBesideOwner(p), (TScreenPoint{1950, 150}));

  // Past 100 pixels before the right end: re-centred too.
  p.Owner = {3200, 100, 800, 400};  // Left = 3200 > 3200 - 100
  EXPECT_EQ(PlaceBesideOwner(p), (TScreenPoint{560, 150}));
}

TEST(PlaceBesideOwner, WithoutOwnerCentresOnThePrimaryScreen) {
  for (TFormDirection direction : {fdCenter, fdPrimaryCenter, fdRight}) {
    TOwnerPlacement p;
    p.Direction = direction;
    p.W = 501;
    p.H = 301;
    p.WorkArea = kWorkArea;
    p.Primary = kPrimary;
    // Halves truncate; no work-area checks without an owner.
    EXPECT_EQ(PlaceBesideOwner(p), (TScreenPoint{709, 389})) << direction;
  }
}

}  // namespace

namespace {

TEST(SnapToEdges, PullsAWindowWithinTenPixelsOntoTheWorkAreasEdges) {
  struct Case {
    TScreenPoint wanted, expected;
  } const cases[] = {
      {{10, 500}, {0, 500}},       // left edge, at the range
      {{11, 500}, {11, 500}},      // just outside it
      {{-7, 3}, {0, 0}},           // top-left corner, from outside too
      {{1515, 500}, {1520, 500}},  // right edge: 1515 + 400 is 5 short of 1920
      {{700, 735}, {700, 740}},    // bottom edge of the work area (1040)
      {{700, 751}, {700, 751}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SnapToEdges(c.wanted, 400, 300, kWorkArea), c.expected)
        << c.wanted.Left << "," << c.wanted.Top;
}

TEST(RestoredUnderPointer, KeepsThePointersShareOfTheWidthAndItsVerticalTravel) {
  struct Case {
    const char* what;
    TScreenRect maximized;
    TScreenPoint start, pointer, expected;
  } const cases[] = {
      {"grabbed in the middle", kWorkArea, {960, 10}, {970, 30}, {770, 20}},
      // 1900 / 1920 of 400 is 395.8, rounded to the nearest pixel.
      {"grabbed near the right end", kWorkArea, {1900, 10}, {1900, 10}, {1504, 0}},
      {"on a second monitor", {1920, 0, 1280, 1024}, {2560, 5}, {2600, 50}, {2400, 45}},
      {"dragged upwards", {0, 100, 1920, 940}, {480, 110}, {480, 104}, {380, 94}},
      {"of no width: the middle", {0, 0, 0, 0}, {0, 0}, {300, 7}, {100, 7}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RestoredUnderPointer(c.maximized, 400, c.start, c.pointer), c.expected) << c.what;
}

}  // namespace
