// The kept colour indices: rows packed into runs at the limits of a run and
// of a stretch, expanded back to exactly the pixels they came from, and rows
// handed over only in order.
#include "raster/RAST_IndexedImage.h"

#include "raster/RAST_Bitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const RAST_pixel kColours[3] = {0xFF102030u, 0x80405060u, 0x00000000u};

std::vector<uint8_t> Repeated(int n, uint8_t index) { return std::vector<uint8_t>(static_cast<size_t>(n), index); }
std::vector<uint8_t> Alternating(int n)
{
  std::vector<uint8_t> row(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) row[static_cast<size_t>(i)] = static_cast<uint8_t>(i % 2);
  return row;
}
std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// 1, 2, 2, 1, 2, 2, ...: a stretch of one before each run of two, the row
// that packs largest (four bytes for three indices).
std::vector<uint8_t> LoneBeforeEachPair(int n)
{
  std::vector<uint8_t> row(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) row[static_cast<size_t>(i)] = i % 3 == 0 ? 1 : 2;
  return row;
}

std::vector<RAST_pixel> Pixels(RAST_MemBitmap& bitmap)
{
  std::vector<RAST_pixel> out;
  for (int y = 0; y < bitmap.getHeight(); ++y)
  {
    const RAST_pixel* row = bitmap.getBits() + static_cast<size_t>(y) * static_cast<size_t>(bitmap.getRowSpan());
    out.insert(out.end(), row, row + bitmap.getWidth());
  }
  return out;
}

TEST(IndexedImage, RowsPackAtTheLimitsAndExpandToTheirPixels)
{
  // One row each; the packed bytes: a run is 2 bytes (2 to 129 copies), a
  // stretch 1 byte plus its indices (1 to 128).
  struct Case { const char* name; std::vector<uint8_t> row; size_t packed; } const kCases[] = {
    {"one index", Repeated(1, 1), 2},
    {"run of 2", Repeated(2, 1), 2},
    {"run of 3", Repeated(3, 1), 2},
    {"run of 129", Repeated(129, 1), 2},
    {"run of 130: a run and a stretch of one", Repeated(130, 1), 4},
    {"run of 131: two runs", Repeated(131, 1), 4},
    {"stretch of 127", Alternating(127), 128},
    {"stretch of 128", Alternating(128), 129},
    {"stretch of 129: two stretches", Alternating(129), 131},
    {"stretch then run", Joined(Alternating(3), Repeated(5, 2)), 6},
    {"stretch of 11 then run", Joined(Alternating(11), Repeated(3, 2)), 14},
    {"run of 13 then stretch", Joined(Repeated(13, 1), Alternating(2)), 5},
    {"lone index before each pair, 299", LoneBeforeEachPair(299), 399},
    {"lone index before each pair, 300", LoneBeforeEachPair(300), 400},
    {"lone index before each pair, 301", LoneBeforeEachPair(301), 402},
    {"index past the colours", Repeated(4, 200), 2},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    const int w = static_cast<int>(c.row.size());
    RAST_IndexedImage image;
    ASSERT_TRUE(image.Prepare(w, 1, kColours, 3));
    EXPECT_FALSE(image.Complete());
    ASSERT_TRUE(image.PutRow(0, c.row.data()));
    EXPECT_TRUE(image.Complete());
    EXPECT_EQ(image.PackedBytes(), c.packed);
    RAST_MemBitmap out(1, 1, 4);
    ASSERT_TRUE(image.ExpandInto(&out));
    ASSERT_EQ(out.getWidth(), w);
    std::vector<RAST_pixel> expected;
    for (uint8_t i : c.row) expected.push_back(i < 3 ? kColours[i] : 0u);
    EXPECT_EQ(Pixels(out), expected);
  }
}

TEST(IndexedImage, RowsHandedOverOnlyInOrder)
{
  const std::vector<uint8_t> row = Repeated(4, 1);
  RAST_IndexedImage image;
  ASSERT_TRUE(image.Prepare(4, 2, kColours, 2));
  RAST_MemBitmap out(1, 1, 4);
  EXPECT_FALSE(image.PutRow(1, row.data()));  // row 0 first
  ASSERT_TRUE(image.PutRow(0, row.data()));
  EXPECT_FALSE(image.ExpandInto(&out));  // a row short
  EXPECT_FALSE(image.PutRow(0, row.data()));
  ASSERT_TRUE(image.PutRow(1, row.data()));
  EXPECT_FALSE(image.PutRow(2, row.data()));  // past the last
  ASSERT_TRUE(image.ExpandInto(&out));
  EXPECT_EQ(Pixels(out), std::vector<RAST_pixel>(8, kColours[1]));

  struct Refused { const char* name; int w, h, count; } const kRefused[] = {
    {"no width", 0, 1, 2}, {"no height", 1, 0, 2}, {"no colours", 1, 1, 0}, {"257 colours", 1, 1, 257}};
  RAST_pixel many[257] = {};
  for (const Refused& r : kRefused)
  {
    EXPECT_FALSE(image.Prepare(r.w, r.h, many, r.count)) << r.name;
    EXPECT_TRUE(image.Empty()) << r.name;
    EXPECT_FALSE(image.PutRow(0, row.data())) << r.name;
  }
}

TEST(IndexedImage, AssignedBitmapExpandsToItsPixelsAndRefusesA257thColour)
{
  // A 300-wide artwork row: flat, an antialiased edge, flat again.
  RAST_MemBitmap src(300, 2, 4);
  for (int y = 0; y < 2; ++y)
  {
    RAST_pixel* row = src.getBits() + static_cast<size_t>(y) * static_cast<size_t>(src.getRowSpan());
    for (int x = 0; x < 300; ++x) row[x] = x < 140 ? 0xFF000000u : x < 150 ? 0xFF000000u + static_cast<RAST_pixel>(x * 7 + y) : 0xFFFFFFFFu;
  }
  RAST_IndexedImage image;
  ASSERT_TRUE(image.Assign(&src));
  // Each row: runs of 129 and 11, a stretch of 10, runs of 129 and 21.
  EXPECT_EQ(image.PackedBytes(), 2u * (2 + 2 + 11 + 2 + 2));
  RAST_MemBitmap out(1, 1, 4);
  ASSERT_TRUE(image.ExpandInto(&out));
  EXPECT_EQ(Pixels(out), Pixels(src));

  RAST_MemBitmap colourful(257, 1, 4);
  RAST_pixel* row = colourful.getBits();
  for (int x = 0; x < 257; ++x) row[x] = 0xFF000000u + static_cast<RAST_pixel>(x);
  EXPECT_FALSE(image.Assign(&colourful));
  EXPECT_TRUE(image.Empty());
  row[256] = row[0];
  EXPECT_TRUE(image.Assign(&colourful));
}
}  // namespace

// A rectangle of the image expands to the pixels of its rows' columns only:
// cut through runs (of 130, which pack as a run and a stretch) and
// stretches, at the image's edges and one past them.
TEST(IndexedImage, RectangleExpandsToItsOwnPixels)
{
  // Row 0: index 1 x 130, then 0 1 0 1 0, then 2 x 3 (138 wide);
  // row 1: 0 1 0 1 ... alternating; row 2: index 0 all along.
  const std::vector<std::vector<uint8_t>> rows = {
    Joined(Joined(Repeated(130, 1), Alternating(5)), Repeated(3, 2)),
    Alternating(138),
    Repeated(138, 0),
  };
  RAST_IndexedImage image;
  ASSERT_TRUE(image.Prepare(138, 3, kColours, 3));
  for (int y = 0; y < 3; ++y) ASSERT_TRUE(image.PutRow(y, rows[static_cast<size_t>(y)].data()));
  struct Case
  {
    const char* name;
    int x, y, w, h;
    bool expanded;
  } const kCases[] = {
    {"whole", 0, 0, 138, 3, true},
    {"first pixel", 0, 0, 1, 1, true},
    {"last pixel", 137, 2, 1, 1, true},
    {"inside the long run", 5, 0, 10, 1, true},
    {"the run's last pixel and the stretch after it", 128, 0, 3, 1, true},
    {"across the stretch into the last run", 131, 0, 6, 2, true},
    {"to the right edge", 100, 1, 38, 2, true},
    {"one past the right edge", 100, 1, 39, 2, false},
    {"one past the bottom", 0, 1, 4, 3, false},
    {"left of the image", -1, 0, 4, 1, false},
    {"above the image", 0, -1, 4, 1, false},
    {"empty", 3, 0, 0, 1, false},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    RAST_MemBitmap out(1, 1, 4);
    ASSERT_EQ(image.ExpandRect(c.x, c.y, c.w, c.h, &out), c.expanded);
    if (!c.expanded) continue;
    ASSERT_EQ(std::make_pair(out.getWidth(), out.getHeight()), std::make_pair(c.w, c.h));
    std::vector<RAST_pixel> expected;
    for (int y = c.y; y < c.y + c.h; ++y)
      for (int x = c.x; x < c.x + c.w; ++x)
        expected.push_back(kColours[rows[static_cast<size_t>(y)][static_cast<size_t>(x)]]);
    EXPECT_EQ(Pixels(out), expected);
  }
}
