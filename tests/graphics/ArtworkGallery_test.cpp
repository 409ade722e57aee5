// Every image of the classic skin drawn through the control that shows it
// (bitmaps, switches, knobs and a fader) at the GUI scales the editor
// offers, into pictures kept under the build folder for review.
#include "support/GuiTestKit.h"

#include "tools/artgen/ArtGallery.h"
#include "tools/artgen/ArtPng.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr RAST_pixel kPanel = RAST_RGBA(128, 128, 128, 255);

// Points the surfaces at the build's resources for the test's life.
struct BuildResources
{
  BuildResources()
  {
    const char* old = std::getenv("ZEPHRA_RESOURCES_DIR");
    if (old) saved = old;
    hadOld = old != nullptr;
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    IGraphics::ClearCachesForTest();
  }
  ~BuildResources()
  {
    if (hadOld)
      setenv("ZEPHRA_RESOURCES_DIR", saved.c_str(), 1);
    else
      unsetenv("ZEPHRA_RESOURCES_DIR");
    IGraphics::ClearCachesForTest();
  }
  std::string saved;
  bool hadOld = false;
};

bool DrewSomething(RAST_IBitmap* screen, const IRECT& r)
{
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x)
      if (RAST_GetPixel(screen, x, y) != kPanel) return true;
  return false;
}

void Keep(RAST_IBitmap* screen, const std::string& name)
{
  mkdir(ZEPHRA_GALLERY_DIR, 0755);
  std::string error;
  EXPECT_TRUE(ArtWritePng(std::string(ZEPHRA_GALLERY_DIR) + "/" + name + ".png", screen, &error, 1)) << error;
}

std::string ScaleName(double scale)
{
  char text[16];
  snprintf(text, sizeof(text), "%.1f", scale);
  return text;
}
}  // namespace

TEST(ArtworkGallery, ClassicSkinThroughItsControlsAtEveryScale)
{
  BuildResources resources;
  std::vector<const ArtRow*> small, large;
  for (size_t i = 0; i < kArtTableSize; ++i)
    if (strncmp(kArtTable[i].path, "img/orig/", 9) == 0) (ArtIsLarge(kArtTable[i]) ? large : small).push_back(&kArtTable[i]);
  // The one fader of the program: the manager's scroll bar.
  small.push_back(ArtFind(318));
  ASSERT_EQ(small.size() + large.size(), 57u);  // 56 classic rows and the fader

  struct Case
  {
    double scale;
    int pageW, pageH;  // the window's size at the scale
  } kScales[] = {{0.5, 570, 400}, {1.0, 1140, 800}, {1.5, 1710, 1200}, {2.0, 2280, 1600}};
  for (const Case& c : kScales)
  {
    SCOPED_TRACE(c.scale);
    // The small images, through their controls, on one page 1.5 times the
    // window's height: the fader alone is 660 pixels long at scale 1.
    const int partsH = c.pageH * 3 / 2;
    {
      // Each page starts with empty caches, so a rescale resamples only the
      // page's own images.
      IGraphics::ClearCachesForTest();
      GuiFixture f(c.pageW, partsH);
      f.gui->SetBitmapDivisor(2);
      std::vector<IBitmap*> bitmaps;
      for (const ArtRow* row : small) bitmaps.push_back(f.gui->LoadIBitmap(row->id, row->path, row->frames));
      f.gui->RescaleBitmaps(c.scale);
      const std::vector<ArtGalleryItem> items = ArtAttachFlow(f.gui, &f.unit, small, bitmaps, -1, c.scale);
      f.Open();
      f.Settle();
      for (const ArtGalleryItem& item : items)
      {
        const IRECT r = item.control->GetRECT();
        EXPECT_LE(r.B, partsH) << item.row->path;
        EXPECT_TRUE(DrewSomething(f.gui->GetScreen(), r)) << item.row->path;
      }
      Keep(f.gui->GetScreen(), "classic-parts-" + ScaleName(c.scale));
    }
    // Each full-window image or overlay on a page of its own.
    for (const ArtRow* row : large)
    {
      IGraphics::ClearCachesForTest();
      GuiFixture f(c.pageW, c.pageH);
      f.gui->SetBitmapDivisor(2);
      IBitmap* bitmap = f.gui->LoadIBitmap(row->id, row->path, row->frames);
      f.gui->RescaleBitmaps(c.scale);
      EXPECT_EQ(bitmap->W, static_cast<int>(row->w * c.scale)) << row->path;
      f.gui->AttachControl(ArtControlFor(*row, &f.unit, bitmap, 0, 0, -1, 0.0));
      f.Open();
      f.Settle();
      EXPECT_TRUE(DrewSomething(f.gui->GetScreen(), IRECT(0, 0, bitmap->W, bitmap->H))) << row->path;
      std::string name = row->path + 9;
      name = name.substr(0, name.size() - 7);
      if (name[0] == '/') name = name.substr(1);
      Keep(f.gui->GetScreen(), "classic-" + name + "-" + ScaleName(c.scale));
    }
  }
}
