// The artwork the generator paints into the build's resources folder: the
// files the table names, their sizes, their frames, the plates of the
// overlays, the user guide, and that a second run gives the same bytes.
#include "raster/RAST_PNG.h"
#include "support/TempDir.h"
#include "editor/art/ArtTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
const std::string kResources = ZEPHRA_BUILD_RESOURCES;

std::unique_ptr<RAST_IBitmap> Load(const char* path)
{
  return std::unique_ptr<RAST_IBitmap>(RAST_LoadPNG((kResources + "/" + path).c_str(), nullptr));
}

RAST_pixel At(RAST_IBitmap* bm, int x, int y) { return bm->getBits()[y * bm->getRowSpan() + x]; }

bool FramesDiffer(RAST_IBitmap* bm, int frameH, int a, int b)
{
  for (int y = 0; y < frameH; ++y)
    if (memcmp(bm->getBits() + (a * frameH + y) * bm->getRowSpan(), bm->getBits() + (b * frameH + y) * bm->getRowSpan(),
               sizeof(RAST_pixel) * bm->getWidth()) != 0)
      return true;
  return false;
}
}  // namespace

TEST(Artwork, TableNamesEachFileOnceWithItsSize)
{
  std::set<int> ids;
  for (size_t i = 0; i < kArtTableSize; ++i)
  {
    const ArtRow& row = kArtTable[i];
    SCOPED_TRACE(row.path);
    EXPECT_TRUE(ids.insert(row.id).second) << "id " << row.id << " twice";
    // Loaded through the path as the skins pass it, doubled slashes too.
    auto bm = Load(row.path);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(bm->getWidth(), ArtFileWidth(row));
    EXPECT_EQ(bm->getHeight(), ArtFileHeight(row));
  }

  struct Case
  {
    const char* path;
    int w, h;
  } kSizes[] = {
    {"img/orig/background-2x.png", 2280, 1600}, {"img/orig/vslider-2x.png", 64, 11520},
    {"img/orig/sevenseg-2x.png", 96, 4848},     {"img/orig/keys-2x.png", 196, 1728},
    {"img/orig/checkbox-2x.png", 24, 48},       {"img/manager/pm-program-2x.png", 160, 924},
    {"img/lcd/fload-2x.png", 112, 68},          {"img/orig//flexisavebg-2x.png", 180, 1600},
  };
  for (const Case& c : kSizes)
  {
    SCOPED_TRACE(c.path);
    auto bm = Load(c.path);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(std::make_pair(bm->getWidth(), bm->getHeight()), std::make_pair(c.w, c.h));
  }
}

// The location display's last frame, shown when no location applies (a
// file outside a folder), reads "--": never "100".
TEST(Artwork, TheLocationDisplaysLastFrameReadsTwoDashes)
{
  constexpr int kFrameH = 48;
  // Digit d of frame k, at the file's scale: 24 pixels wide from 8 + 28 d.
  const auto block = [](RAST_IBitmap* bm, int frame, int d) {
    std::vector<RAST_pixel> pixels;
    for (int y = 0; y < kFrameH; ++y)
      for (int x = 8 + 28 * d; x < 32 + 28 * d; ++x) pixels.push_back(At(bm, x, frame * kFrameH + y));
    return pixels;
  };
  for (const char* path : {"img/orig/sevenseg-2x.png", "img/lcd/sevenseg-2x.png"})
  {
    SCOPED_TRACE(path);
    auto bm = Load(path);
    ASSERT_NE(bm, nullptr);
    const auto dark = block(bm.get(), 1, 0);  // no hundreds below 100
    EXPECT_EQ(block(bm.get(), 100, 0), dark);
    EXPECT_EQ(block(bm.get(), 100, 1), block(bm.get(), 100, 2));
    EXPECT_NE(block(bm.get(), 100, 2), dark);
    EXPECT_NE(block(bm.get(), 100, 2), block(bm.get(), 0, 2));   // not "0"
    EXPECT_NE(block(bm.get(), 100, 2), block(bm.get(), 88, 2));  // not "8"
  }
}

TEST(Artwork, NeighbouringFramesDiffer)
{
  for (size_t i = 0; i < kArtTableSize; ++i)
  {
    const ArtRow& row = kArtTable[i];
    if (row.frames < 2) continue;
    SCOPED_TRACE(row.path);
    auto bm = Load(row.path);
    ASSERT_NE(bm, nullptr);
    for (int k = 1; k < row.frames; ++k) EXPECT_TRUE(FramesDiffer(bm.get(), 2 * row.h, k - 1, k)) << "frame " << k;
  }
}

TEST(Artwork, SliderHandlesRiseWithTheFrame)
{
  for (size_t i = 0; i < kArtTableSize; ++i)
  {
    const ArtRow& row = kArtTable[i];
    if (row.kind != ArtKind::kSlider && row.kind != ArtKind::kRangeSlider && row.kind != ArtKind::kShortSlider)
      continue;
    SCOPED_TRACE(row.path);
    auto bm = Load(row.path);
    ASSERT_NE(bm, nullptr);
    // A column right of the groove that only the handle covers.
    const int x = bm->getWidth() - 10, frameH = 2 * row.h;
    int previous = frameH;
    int first = -1, last = -1;
    for (int k = 0; k < row.frames; ++k)
    {
      int top = -1;
      for (int y = 0; y < frameH && top < 0; ++y)
        if (RAST_GETA(At(bm.get(), x, k * frameH + y)) != 0) top = y;
      ASSERT_GE(top, 0) << "frame " << k << " has no handle";
      EXPECT_LE(top, previous) << "frame " << k;
      previous = top;
      if (k == 0) first = top;
      last = top;
    }
    EXPECT_LT(last, first);
  }
}

TEST(Artwork, OverlaysAreClearOutsideTheirPlates)
{
  // opaque: the whole plate painted; otherwise the effect plates, which
  // frame and label the background's own box, paint at least its frame.
  struct Case
  {
    int id;
    int x, y, w, h;  // the plate, base pixels
    bool opaque;
  } kPlates[] = {
    {158, 29, 726, 52, 32, true},    {159, 29, 756, 52, 32, true},    {258, 29, 726, 52, 32, true},
    {259, 29, 756, 52, 32, true},    {112, 512, 545, 622, 172, false}, {113, 512, 545, 622, 172, false},
    {114, 512, 545, 622, 172, false}, {132, 512, 545, 622, 172, false}, {213, 512, 545, 622, 172, false},
    {232, 512, 545, 622, 172, false}, {148, 8, 124, 1124, 570, true},  {249, 8, 124, 1124, 570, true},
    {157, 476, 316, 180, 150, true}, {257, 476, 316, 180, 150, true}, {155, 0, 17, 95, 3, true},
    {255, 0, 22, 95, 3, true},
  };
  for (const Case& c : kPlates)
  {
    const ArtRow* row = ArtFind(c.id);
    ASSERT_NE(row, nullptr) << c.id;
    SCOPED_TRACE(row->path);
    auto bm = Load(row->path);
    ASSERT_NE(bm, nullptr);
    int outside = 0, inside = 0, frame = 0;
    for (int y = 0; y < bm->getHeight(); ++y)
      for (int x = 0; x < bm->getWidth(); ++x)
      {
        const bool in = x >= 2 * c.x && x < 2 * (c.x + c.w) && y >= 2 * c.y && y < 2 * (c.y + c.h);
        const bool edge = in && (x < 2 * c.x + 2 || x >= 2 * (c.x + c.w) - 2 || y < 2 * c.y + 2 ||
                                 y >= 2 * (c.y + c.h) - 2);
        const bool clear = RAST_GETA(At(bm.get(), x, y)) == 0;
        outside += !in && !clear;
        inside += in && !clear;
        frame += edge && !clear;
      }
    EXPECT_EQ(outside, 0);
    if (c.opaque) {
      EXPECT_EQ(inside, 4 * c.w * c.h);
    }
    EXPECT_EQ(frame, 8 * (c.w + c.h) - 16);
  }
}

TEST(Artwork, KeysOfAnOctaveAddUpToTheWholeOctave)
{
  auto keys = Load("img/orig/keys-2x.png");
  ASSERT_NE(keys, nullptr);
  std::vector<int> lit(196 * 144, 0);
  for (int k = 0; k < 12; ++k)
    for (int y = 0; y < 144; ++y)
      for (int x = 0; x < 196; ++x) lit[y * 196 + x] += RAST_GETA(At(keys.get(), x, k * 144 + y)) != 0;
  int once = 0;
  for (int n : lit) once += n == 1;
  EXPECT_EQ(once, 196 * 144);
  // C# (frame 2) is the black key at 9..19 of the 98-pixel octave, 42 high.
  EXPECT_NE(RAST_GETA(At(keys.get(), 2 * 9, 144 + 2 * 41)), 0);
  EXPECT_EQ(RAST_GETA(At(keys.get(), 2 * 9, 144 + 2 * 42)), 0);
  EXPECT_EQ(RAST_GETA(At(keys.get(), 2 * 9 - 1, 144)), 0);
}

TEST(Artwork, UserGuideIsAPdfWhoseXrefIsWhereItSays)
{
  const std::string pdf = ReadWholeFile(kResources + "/pdf/Zephra_userguide-v3.60.pdf");
  ASSERT_GT(pdf.size(), 1000u);
  EXPECT_EQ(pdf.compare(0, 7, "%PDF-1."), 0);
  const size_t at = pdf.rfind("startxref\n");
  ASSERT_NE(at, std::string::npos);
  const size_t offset = std::strtoul(pdf.c_str() + at + 10, nullptr, 10);
  ASSERT_LT(offset, pdf.size());
  EXPECT_EQ(pdf.compare(offset, 5, "xref\n"), 0);
  EXPECT_EQ(pdf.compare(pdf.size() - 6, 6, "%%EOF\n"), 0);
  // After the subsection line and the free entry (20 bytes), the first
  // object's entry gives where it starts.
  const size_t entries = pdf.find('\n', offset + 5) + 1;
  const size_t first = std::strtoul(pdf.c_str() + entries + 20, nullptr, 10);
  EXPECT_EQ(pdf.compare(first, 8, "1 0 obj\n"), 0);
  // Its title names the version the About box shows; the file keeps the
  // name the Help menu opens.
  EXPECT_NE(pdf.find("(ZephraEditor 1.0.0 user guide) Tj"), std::string::npos);
}

namespace
{
// The guide's words as a reader sees them: the shown lines of every page in
// order, joined by spaces (the lines break where spaces were).
std::string GuideWords(const std::string& pdf)
{
  std::string words;
  for (size_t at = pdf.find(" Td ("); at != std::string::npos; at = pdf.find(" Td (", at))
  {
    at += 5;
    for (; at < pdf.size() && pdf[at] != ')'; ++at) words += pdf[at] == '\\' ? pdf[++at] : pdf[at];
    words += ' ';
  }
  return words;
}
}  // namespace

// The looks are where the View menu offers them, and the guide says which
// one waits for a new start.
TEST(Artwork, UserGuideSaysWhereTheLooksAreChosen)
{
  const std::string words = GuideWords(ReadWholeFile(kResources + "/pdf/Zephra_userguide-v3.60.pdf"));
  const char* kSentences[] = {
      "Three looks are offered in the View menu: Space (the default), Solid and LCD.",
      "Space and Solid apply at once. Only LCD waits for the next start, as does leaving it for Space or Solid;",
      "The choice is kept as the key \"background\" in section \"gui\" of \"settings.ini\".",
  };
  for (const char* sentence : kSentences) EXPECT_NE(words.find(sentence), std::string::npos) << sentence;
  EXPECT_EQ(words.find("reads it at start"), std::string::npos);
}

TEST(Artwork, SecondRunGivesTheSameBytes)
{
  TempDir dir;
  const std::string command = std::string(ZEPHRA_ARTGEN) + " " + dir.Path();
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::vector<std::string> files{"pdf/Zephra_userguide-v3.60.pdf"};
  for (size_t i = 0; i < kArtTableSize; ++i) files.push_back(kArtTable[i].path);
  for (const std::string& f : files)
  {
    SCOPED_TRACE(f);
    const std::string built = ReadWholeFile(kResources + "/" + f);
    ASSERT_FALSE(built.empty());
    EXPECT_TRUE(built == ReadWholeFile(dir.File(f)));
  }
}
