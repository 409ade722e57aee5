#include "winl/draw/WINL_Rect.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace
{
auto Edges(const RECT& r)
{
  return std::make_tuple(r.left, r.top, r.right, r.bottom);
}

TEST(WinlRect, PtInRectAcceptsBothVerticalOrientations)
{
  struct Case { const char* name; RECT r; POINT p; BOOL inside; } const kCases[] = {
      {"top-left corner is inside", {10, 20, 30, 40}, {10, 20}, TRUE},
      {"right edge is outside", {10, 20, 30, 40}, {30, 25}, FALSE},
      {"bottom edge is outside", {10, 20, 30, 40}, {15, 40}, FALSE},
      {"y-up rectangle, inside", {10, 40, 30, 20}, {15, 20}, TRUE},
      {"y-up rectangle, upper edge outside", {10, 40, 30, 20}, {15, 40}, FALSE},
  };
  for (const Case& c : kCases) EXPECT_EQ(WINL_PtInRect(&c.r, c.p), c.inside) << c.name;
}

TEST(WinlRect, IntersectAndUnion)
{
  struct Case { const char* name; RECT a, b; BOOL meets; RECT overlap, both; } const kCases[] = {
      {"overlap", {0, 0, 10, 10}, {5, 3, 20, 8}, TRUE, {5, 3, 10, 8}, {0, 0, 20, 10}},
      {"touching edges", {0, 0, 10, 10}, {10, 0, 20, 10}, FALSE, {0, 0, 0, 0}, {0, 0, 20, 10}},
      {"first empty", {5, 5, 5, 9}, {0, 0, 10, 10}, FALSE, {0, 0, 0, 0}, {0, 0, 10, 10}},
      {"second inverted", {0, 0, 10, 10}, {8, 8, 2, 2}, FALSE, {0, 0, 0, 0}, {0, 0, 10, 10}},
      {"both empty", {1, 1, 1, 1}, {2, 2, 2, 2}, FALSE, {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const Case& c : kCases)
  {
    RECT out{-1, -1, -1, -1};
    EXPECT_EQ(WinIntersectRect(&out, &c.a, &c.b), c.meets) << c.name;
    EXPECT_EQ(Edges(out), Edges(c.overlap)) << c.name;
    EXPECT_EQ(WinUnionRect(&out, &c.a, &c.b), Edges(c.both) != Edges(RECT{0, 0, 0, 0})) << c.name;
    EXPECT_EQ(Edges(out), Edges(c.both)) << c.name;
  }
}

TEST(WinlRect, OffsetWrapsInsteadOfOverflowing)
{
  RECT r;
  ASSERT_TRUE(WinSetRect(&r, 1, INT_MAX, 3, 4));
  ASSERT_TRUE(WinOffsetRect(&r, 10, 1));
  EXPECT_EQ(Edges(r), Edges(RECT{11, INT_MIN, 13, 5}));
  EXPECT_FALSE(WinOffsetRect(nullptr, 1, 1));
}

// The result may be stored over either input.
TEST(WinlRect, IntersectIntoAnInput)
{
  RECT a{0, 0, 10, 10};
  const RECT b{5, 5, 20, 20};
  EXPECT_EQ(WinIntersectRect(&a, &a, &b), TRUE);
  EXPECT_EQ(Edges(a), std::make_tuple(5, 5, 10, 10));
  RECT c{8, 8, 30, 30};
  EXPECT_EQ(WinIntersectRect(&c, &b, &c), TRUE);
  EXPECT_EQ(Edges(c), std::make_tuple(8, 8, 20, 20));
}
}  // namespace
