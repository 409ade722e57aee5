// The window-size and scale manager set up as the editor does: the stored
// scale and its repair, the corner drag with its plain fill and the release
// that stores the scale, and the handle drawn inside its rectangle.
#include "support/GuiTestKit.h"

#include "core/IParam.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "raster/RAST_TestBitmap.h"
#include "support/MadeLocale.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include <sys/stat.h>

namespace
{
class LayoutUnit : public GuiUnit
{
public:
  LayoutUnit() : GuiUnit(4) {}
  void SetGUILayout(int view, double w, double h) override
  {
    mLayouts.push_back(std::to_string(view) + " " + std::to_string(static_cast<int>(w)) + " " +
                       std::to_string(static_cast<int>(h)));
  }
  std::vector<std::string> mLayouts;
};

// The editor's window: 1140 x 800, a 16-pixel corner handle, scales 0.5 to
// 2.0, the handle scaling the GUI.
struct ResizeFixture
{
  // With artwork: a 3-frame strip and a plain picture, both stored at twice
  // their size, loaded before the GUI is attached.
  // configure runs on the manager before the GUI is attached.
  explicit ResizeFixture(const char* stored = nullptr, bool withArtwork = false,
                         const std::function<void(IUnitGUIResize*)>& configure = {})
  {
    IGraphics::ClearCachesForTest();
    IUnitGUIResize::ResetProcessStateForTest();
    folder = dir.Path() + "/Library/Application Support";
    settings = folder + "/ZephraEditor/settings.ini";
    if (stored)
    {
      mkdir((dir.Path() + "/Library").c_str(), 0755);
      mkdir(folder.c_str(), 0755);
      mkdir((folder + "/ZephraEditor").c_str(), 0755);
      WriteWholeFile(settings, std::string("[gui]\nguiscale=") + stored + "\n\n");
    }
    gui = new IGraphicsHeadless(&unit, 1140, 800);
    gui->SetPath("appsupport", folder.c_str());
    if (withArtwork)
    {
      RAST_MemBitmap strip(400, 1200, 4), plain(60, 40, 4);
      gui->SetBitmapDivisor(2);
      gui->AddResource("strip", &strip);
      gui->AddResource("plain", &plain);
      stripBitmap = gui->LoadIBitmap(7, "strip.png", 3);
      plainBitmap = gui->LoadIBitmap(8, "plain.png");
    }
    IColor grey(255, 128, 128, 128);
    gui->AttachPanelBackground(&grey);
    manager = new IUnitGUIResize(&unit, gui, 16, 16);
    manager->EnableGUIResizing();
    manager->SelectViewMode(0);
    manager->SetGUIScaleLimits(50.0, 200.0);
    manager->SetWindowSizeLimits(0, 570.0, 400.0, 2280.0, 1600.0);
    manager->UseHandleForGUIScaling(true);
    if (configure) configure(manager);
    unit.SetGUIResize(manager);
    unit.AttachGraphics(gui);
    gui->OpenWindow(nullptr);
    unit.ResizeAtGUIOpen();
  }
  ~ResizeFixture()
  {
    unit.SetGUIResize(nullptr);
    IUnitGUIResize::ResetProcessStateForTest();
  }

  TempDir dir;
  std::string folder, settings;
  LayoutUnit unit;
  IGraphicsHeadless* gui;   // owned by the unit
  IUnitGUIResize* manager;  // owned by the surface
  IBitmap* stripBitmap = nullptr;  // owned by the caches
  IBitmap* plainBitmap = nullptr;
};
}  // namespace

TEST(GUIResize, FreshSettingsOpenAtScaleOne)
{
  ResizeFixture f;
  EXPECT_EQ(ReadWholeFile(f.settings), "[gui]\nguiscale=1.000000000000000\n\n");
  EXPECT_EQ(f.gui->Width(), 1140);
  EXPECT_EQ(f.gui->Height(), 800);
  ASSERT_FALSE(f.unit.mLayouts.empty());
  EXPECT_EQ(f.unit.mLayouts.back(), "0 1140 800");
  // The list ends with the height handle, the width handle and the manager,
  // the corner handle in the bottom-right 16 pixels.
  const int n = f.gui->NControls();
  EXPECT_EQ(f.gui->GetControl(n - 1), f.manager);
  EXPECT_TRUE(f.gui->GetControl(n - 2)->IsHidden());
  EXPECT_TRUE(f.gui->GetControl(n - 3)->IsHidden());
  EXPECT_EQ(f.manager->GetRECT(), IRECT(1124, 784, 1140, 800));
}

TEST(GUIResize, BrokenStoredScalesOpenAtOneAndAreRewritten)
{
  struct Case
  {
    const char* stored;
    const char* rewritten;
    int width, height;
  } kCases[] = {
    {"0", "1.000000000000000", 1140, 800},
    {"abc", "1.000000000000000", 1140, 800},
    {"-3", "1.000000000000000", 1140, 800},
    {"nan", "1.000000000000000", 1140, 800},
    {"inf", "1.000000000000000", 1140, 800},
    {"1e300", "1.000000000000000", 1140, 800},
    // 1140 * 29 = 33060: wider than any window can be.
    {"29", "1.000000000000000", 1140, 800},
    // Too small to hold a pixel down (800 * s below 1): as broken as 0.
    {"1e-300", "1.000000000000000", 1140, 800},
    {"0.0012", "1.000000000000000", 1140, 800},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.stored);
    ResizeFixture f(c.stored);
    EXPECT_EQ(ReadWholeFile(f.settings), std::string("[gui]\nguiscale=") + c.rewritten + "\n\n");
    EXPECT_EQ(f.gui->Width(), c.width);
    EXPECT_EQ(f.gui->Height(), c.height);
  }
}

// The limits (0.5 to 2.0) bound a drag, not the stored value: a scale beyond
// them opens as stored and stays in the settings as the user wrote it.
TEST(GUIResize, StoredScalesBeyondTheLimitsAreTakenAsStored)
{
  struct Case
  {
    const char* stored;
    int width, height;
  } kCases[] = {
    {"0.49", 558, 392},
    {"0.5", 570, 400},
    {"1.5", 1710, 1200},
    {"2", 2280, 1600},
    {"2.000000000000001", 2280, 1600},
    {"2.5", 2850, 2000},
    {"3", 3420, 2400},
    {"0.25", 285, 200},
    // The smallest that holds a pixel each way (800 * 0.0013 = 1.04).
    {"0.0013", 1, 1},
    // Written with a comma by earlier versions under a comma locale.
    {"1,300000000000000", 1482, 1040},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.stored);
    ResizeFixture f(c.stored);
    EXPECT_EQ(ReadWholeFile(f.settings), std::string("[gui]\nguiscale=") + c.stored + "\n\n");
    EXPECT_EQ(f.gui->Width(), c.width);
    EXPECT_EQ(f.gui->Height(), c.height);
  }
}

// The artwork stands at the scale the window opens with, also for a stored
// scale beyond the limits that clamp a drag: the attachment resampled it
// at the clamped scale, the opening at the stored one.
TEST(GUIResize, ArtworkOpensAtTheStoredScaleBeyondTheLimits)
{
  using Sizes = std::array<int, 4>;  // strip W, H, picture W, H
  const struct Case
  {
    const char* stored;
    int width, height;
    Sizes artwork;
  } kCases[] = {
    {"3.0", 3420, 2400, {600, 1803, 90, 60}},
    {"2.000000000000001", 2280, 1600, {400, 1203, 60, 40}},
    {"2", 2280, 1600, {400, 1203, 60, 40}},
    {"1.5", 1710, 1200, {300, 903, 45, 30}},
    {"0.5", 570, 400, {100, 303, 15, 10}},
    {"0.25", 285, 200, {50, 153, 7, 5}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.stored);
    ResizeFixture f(c.stored, true);
    EXPECT_EQ(f.gui->Width(), c.width);
    EXPECT_EQ(f.gui->Height(), c.height);
    EXPECT_EQ((Sizes{f.stripBitmap->W, f.stripBitmap->H, f.plainBitmap->W, f.plainBitmap->H}), c.artwork);
    EXPECT_NEAR(IGraphics::ArtworkScale(), f.manager->GetGUIScaleRatio(), 1e-10);
  }
}

// Under a decimal-comma locale the scale is read and written with a point:
// 0.8 stays 0.8 (it was read as 0 and rewritten "1,000000000000000"), a
// comma written earlier reads as its number, and 130 % is stored as
// "1.300000000000000".
TEST(GUIResize, ScaleReadAndWrittenWithAPointUnderACommaLocale)
{
  ScopedMadeLocale german("de_DE.UTF-8");
  if (!german.Active()) GTEST_SKIP() << german.Why();
  const struct Case
  {
    const char* stored;
    int width, height;
    const char* after;  // the stored text after 130 %
  } kCases[] = {
    {"0.8", 912, 640, "1.300000000000000"},
    {"1.3", 1482, 1040, "1.3"},  // the same scale: not written again
    {"0,8", 912, 640, "1.300000000000000"},
    {"1,5", 1710, 1200, "1.300000000000000"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.stored);
    ResizeFixture f(c.stored);
    EXPECT_EQ(f.gui->Width(), c.width);
    EXPECT_EQ(f.gui->Height(), c.height);
    EXPECT_EQ(ReadWholeFile(f.settings), std::string("[gui]\nguiscale=") + c.stored + "\n\n");
    f.manager->SetGUIScaleRatio(1.3);
    f.manager->ResizeGraphics();
    EXPECT_EQ(ReadWholeFile(f.settings), std::string("[gui]\nguiscale=") + c.after + "\n\n");
    EXPECT_EQ(f.gui->Width(), 1482);
  }
}

TEST(GUIResize, CornerDragScalesAndTheReleaseStores)
{
  struct Case
  {
    int x, y;
    double scale;
    const char* stored;
    int width, height;
    int backgroundHeight;  // (800 + 0.4999) * scale, which may round up
  } kCases[] = {
    {1455, 1455, 1.5, "1.500000000000000", 1710, 1200, 1200},
    {970, 969, 969.5 / 970.0, "0.999484536082474", 1139, 799, 800},
    {485, 484, 0.5, "0.500000000000000", 570, 400, 400},
    {300, 300, 0.5, "0.500000000000000", 570, 400, 400},
    {1940, 1941, 2.0, "2.000000000000000", 2280, 1600, 1600},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    ResizeFixture f;
    while (f.gui->RunFrame()) {}
    IMouseMod m(true, false);
    f.gui->OnMouseDown(1130, 790, &m);
    f.gui->OnMouseDrag(c.x, c.y, &m);
    EXPECT_TRUE(f.manager->IsDragging());
    EXPECT_NEAR(f.manager->GetGUIScaleRatio(), c.scale, 1e-12);
    // While dragging, the whole surface shows the plain dark fill.
    f.gui->RunFrame();
    RAST_IBitmap* screen = f.gui->GetScreen();
    ASSERT_EQ(screen->getWidth(), c.width);
    const RAST_pixel* bits = screen->getBits();
    const int span = screen->getRowSpan();
    EXPECT_EQ(bits[0], RAST_RGBA(25, 25, 25, 255));
    EXPECT_EQ(bits[(c.height - 1) * span + c.width - 1], RAST_RGBA(25, 25, 25, 255));
    // The settings file is written once, at the release, not on every step.
    EXPECT_EQ(ReadWholeFile(f.settings), "[gui]\nguiscale=1.000000000000000\n\n");

    f.gui->OnMouseUp(c.x, c.y, &m);
    EXPECT_FALSE(f.manager->IsDragging());
    EXPECT_EQ(ReadWholeFile(f.settings), std::string("[gui]\nguiscale=") + c.stored + "\n\n");
    EXPECT_EQ(f.gui->Width(), c.width);
    EXPECT_EQ(f.gui->Height(), c.height);
    EXPECT_EQ(f.gui->GetControl(0)->GetRECT(), IRECT(0, 0, c.width, c.backgroundHeight));
    EXPECT_EQ(f.unit.mLayouts.back(), "0 1140 800");
  }
}

// The handle draws only inside its rectangle and the bitmap, at every size
// and as the whole window during a drag.
TEST(GUIResize, HandleStaysInsideItsRectangle)
{
  for (int size = 0; size <= 40; ++size)
  {
    SCOPED_TRACE(size);
    GuardedBitmap bitmap(60, 50, GuardedBitmap::Filled{0});
    IUnitGUIResize::DrawResizeHandleInto(&bitmap, IRECT(60 - size, 50 - size, 60, 50));
    IUnitGUIResize::DrawResizeHandleInto(&bitmap, IRECT(5, 5, 5 + size, 5 + size));
    EXPECT_TRUE(bitmap.SentinelsIntact());
    int outside = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 60; ++x)
      {
        const bool inCorner = x >= 60 - size && y >= 50 - size;
        const bool inInner = x >= 5 && x < 5 + size && y >= 5 && y < 5 + size;
        if (!inCorner && !inInner && bitmap.At(x, y) != 0) ++outside;
      }
    EXPECT_EQ(outside, 0);
  }
  GuardedBitmap window(60, 50, GuardedBitmap::Filled{0});
  IUnitGUIResize::DrawResizeHandleInto(&window, IRECT(0, 0, 60, 50));
  IUnitGUIResize::DrawResizeHandleInto(&window, IRECT(-20, -20, 80, 80));
  EXPECT_TRUE(window.SentinelsIntact());
  // The corner pixel is the last stroke's, at full weight.
  EXPECT_EQ(window.At(59, 49), 0xFFFFFFFFu);
}

// The artwork keeps its size while the corner drag runs and is resampled to
// the new scale when the button is released.
TEST(GUIResize, ReleaseResamplesTheArtwork)
{
  ResizeFixture f(nullptr, true);
  using Sizes = std::array<int, 4>;  // strip W, H, picture W, H
  auto sizes = [&f] { return Sizes{f.stripBitmap->W, f.stripBitmap->H, f.plainBitmap->W, f.plainBitmap->H}; };
  EXPECT_EQ(sizes(), (Sizes{200, 603, 30, 20}));
  IMouseMod m(true, false);
  f.gui->OnMouseDown(1130, 790, &m);
  f.gui->OnMouseDrag(1455, 1455, &m);
  EXPECT_EQ(sizes(), (Sizes{200, 603, 30, 20}));
  f.gui->OnMouseUp(1455, 1455, &m);
  EXPECT_EQ(sizes(), (Sizes{300, 903, 45, 30}));
  while (f.gui->RunFrame()) {}
  EXPECT_EQ(sizes(), (Sizes{300, 903, 45, 30}));
}

namespace
{
std::string Text(const DRECT& r)
{
  char t[96];
  snprintf(t, sizeof(t), "%g %g %g %g", r.L, r.T, r.R, r.B);
  return t;
}
}  // namespace

// The stored layout read and edited by control and by slot, with unknown
// views and slots left alone; integer settings beside the scale.
TEST(GUIResize, StoredLayoutEditsAndIntegerSettings)
{
  ResizeFixture f;
  IControl* background = f.gui->GetControl(0);
  const int n = f.gui->NControls();
  EXPECT_EQ(Text(f.manager->GetViewDrawRECT(0, f.manager)), "1124 784 1140 800");
  EXPECT_EQ(Text(f.manager->GetViewDrawRECT(1, f.manager)), "0 0 0 0");
  EXPECT_EQ(f.manager->GetControlIndexInView(0, nullptr), -1);

  f.manager->SetViewControlRECTs(0, f.manager, 1, DRECT{10, 20, 30, 40}, DRECT{11, 21, 31, 41});
  EXPECT_EQ(Text(f.manager->GetViewTargetRECT(0, f.manager)), "11 21 31 41");
  EXPECT_EQ(f.manager->GetViewHiddenFlag(0, f.manager), 1);

  // The first sets slot 0; the bad views, slots and indexes after it change nothing.
  struct Case
  {
    int view, slot, controlIndex;
  } kCases[] = {{0, 0, n - 1}, {1, 0, 0}, {0, -1, 0}, {0, n, 0}, {0, 0, n}, {0, 0, -1}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.view << " " << c.slot << " " << c.controlIndex);
    f.manager->LiveEditSetLayout(c.view, c.slot, c.controlIndex, IRECT(1, 2, 3, 4), IRECT(5, 6, 7, 8), true);
    EXPECT_EQ(Text(f.manager->GetViewDrawRECT(0, background)), "1 2 3 4");
    f.manager->LiveEditSetLayout(0, 0, 0, IRECT(1, 2, 3, 4), IRECT(5, 6, 7, 8), true);
  }
  EXPECT_EQ(f.manager->GetViewHiddenFlag(0, background), 1);
  f.manager->LiveEditSetLayout(0, n - 1, n - 1, IRECT(0, 0, 9, 9), IRECT(0, 0, 9, 9), false);
  EXPECT_EQ(Text(f.manager->GetViewDrawRECT(0, f.manager)), "0 0 9 9");

  f.manager->RemoveControlFromViews(background);
  EXPECT_EQ(f.manager->GetControlIndexInView(0, background), -1);
  EXPECT_EQ(f.manager->GetControlIndexInView(0, f.manager), n - 2);
  EXPECT_EQ(Text(f.manager->GetViewDrawRECT(0, f.manager)), "0 0 9 9");

  f.manager->WriteUIntToSettings("count", 4000000000u);
  EXPECT_EQ(ReadWholeFile(f.settings), "[gui]\ncount=4000000000\nguiscale=1.000000000000000\n\n");
  EXPECT_EQ(f.manager->GetIntFromSettings("missing"), -1);
  f.manager->WriteUIntToSettings("count", 7u);
  EXPECT_EQ(f.manager->GetIntFromSettings("count"), 7);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(f.manager->GetParam(i)->GetCanAutomate()) << i;
}

// The edge handles: a drag along a handle's axis sets that side of the
// window at the current scale, clamped to the window limits, and the
// pointer shows the handle's resize cursor, the arrow once it leaves.
TEST(GUIResize, EdgeHandlesResizeTheirOwnSide)
{
  struct Case
  {
    const char* name;
    int handleFromEnd;  // 2: the width handle, 3: the height handle
    int x, y;
    int width, height, cursor;
  } kCases[] = {
    {"width", 2, 900, 10, 900, 800, 32644},
    {"width below the limit", 2, 100, 10, 570, 800, 32644},
    {"height", 3, 10, 600, 1140, 600, 32645},
    {"height above the limit", 3, 10, 5000, 1140, 1600, 32645},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    ResizeFixture f;
    std::vector<int> cursors;
    f.manager->SetCursorSink([](int id, void* context) { static_cast<std::vector<int>*>(context)->push_back(id); },
                             &cursors);
    IControl* handle = f.gui->GetControl(f.gui->NControls() - c.handleFromEnd);
    IMouseMod left(true, false);
    handle->OnMouseDrag(c.x, c.y, 0, 0, &left);
    handle->OnMouseOut();
    EXPECT_EQ(f.gui->Width(), c.width);
    EXPECT_EQ(f.gui->Height(), c.height);
    EXPECT_EQ(cursors, (std::vector<int>{c.cursor, 32512}));
  }
}

// Moving one edge of a control: which 1 the drawn rectangle, 2 the target,
// 0 both, at the current scale and kept in the view's stored layout.
TEST(GUIResize, ControlEdgesMoveInTheStoredLayout)
{
  ResizeFixture f;
  IControl* background = f.gui->GetControl(0);
  f.manager->SetControlRight(0, 1, 300.0);
  f.manager->SetControlBottom(0, 2, 200.0);
  EXPECT_EQ(background->GetRECT(), IRECT(0, 0, 300, 800));
  EXPECT_EQ(background->GetTargetRECT(), IRECT(0, 0, 1140, 200));
  EXPECT_EQ(Text(f.manager->GetViewDrawRECT(0, background)), "0 0 300 800");
  EXPECT_EQ(Text(f.manager->GetViewTargetRECT(0, background)), "0 0 1140 200");
  f.manager->SetControlRight(0, 0, 500.0);
  EXPECT_EQ(background->GetRECT(), IRECT(0, 0, 500, 800));
  EXPECT_EQ(background->GetTargetRECT(), IRECT(0, 0, 500, 200));
}

// The strokes run from (L + i, B) to (R, B - w + i), anti-aliased; their ends
// on row B and column R fall outside the handle and are not drawn. The
// bottom row and the diagonal of a 16-pixel handle, blue byte, on black.
TEST(GUIResize, HandleStrokesAreAntialiasedDiagonals)
{
  GuardedBitmap bitmap(20, 20, GuardedBitmap::Filled{0xFF000000u});
  IUnitGUIResize::DrawResizeHandleInto(&bitmap, IRECT(4, 4, 20, 20));
  EXPECT_TRUE(bitmap.SentinelsIntact());
  const std::array<int, 8> kBottomRow = {0xBA, 0xC1, 0xC6, 0xCA, 0xCD, 0xCE, 0xCF, 0xFF};  // x 12..19, y 19
  const std::array<int, 8> kDiagonal = {0x34, 0x7D, 0xA8, 0xC1, 0xD0, 0xD8, 0xDB, 0xFF};  // (12 + k, 12 + k)
  std::array<int, 8> row{}, diagonal{};
  for (int k = 0; k < 8; ++k)
  {
    row[static_cast<size_t>(k)] = static_cast<int>(bitmap.At(12 + k, 19) & 0xFF);
    diagonal[static_cast<size_t>(k)] = static_cast<int>(bitmap.At(12 + k, 12 + k) & 0xFF);
  }
  EXPECT_EQ(row, kBottomRow);
  EXPECT_EQ(diagonal, kDiagonal);
  // Above the anti-diagonal from (4, 19) to (19, 4) nothing is drawn.
  EXPECT_EQ(bitmap.At(4, 18), 0xFF000000u);
  EXPECT_EQ(bitmap.At(18, 4), 0xFF000000u);
}

TEST(GUIResize, RectangleConversionsAndTolerance)
{
  struct Case
  {
    double a, b, tolerance;
    bool equal;
  } kCases[] = {
    {1.0, 1.0, 1e-10, true},
    {1.0, 1.0 + 0.5e-10, 1e-10, true},
    {1.0, 1.0 + 2e-10, 1e-10, false},
    {2.0, 1.0, 1.0, false},  // exactly the tolerance apart
    {1.0, 2.0, 1.0000001, true},
    {-3.0, 3.0, 7.0, true},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(IUnitGUIResize::IsEqual(c.a, c.b, c.tolerance), c.equal) << c.a << " " << c.b << " " << c.tolerance;
  const DRECT d = IUnitGUIResize::IRECTtoDRECT(IRECT(-5, 0, 1139, 2000000000));
  EXPECT_EQ(Text(d), "-5 0 1139 2e+09");
  EXPECT_EQ(IUnitGUIResize::DRECTtoIRECT(DRECT{1.9999, -1.9999, 1139.5, 0.4999}), IRECT(1, -1, 1139, 0));
}

// One-side resizing: which edge handles show after attachment, and showing
// or hiding them by which (0 width, 1 height, 2 both, others none); with it
// off the calls change nothing.
TEST(GUIResize, OneSideHandlesShowAndHide)
{
  struct Case
  {
    bool oneSide;
    int side;
    const char* attached;  // hidden flags: height handle, width handle
    int which;
    const char* shown;     // after ShowOneSideHandle(which) from all hidden
  } kCases[] = {
    {false, 0, "11", 2, "11"},
    {true, 0, "10", 0, "10"},
    {true, 1, "01", 1, "01"},
    {true, 2, "00", 2, "00"},
    {true, -1, "00", 3, "11"},
    {true, 0, "10", -1, "11"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.oneSide << " side " << c.side << " which " << c.which);
    ResizeFixture f(nullptr, false, [&c](IUnitGUIResize* m) {
      if (c.oneSide) m->EnableOneSideResizing(8, 8, c.side);
    });
    const int n = f.gui->NControls();
    IControl* height = f.gui->GetControl(n - 3);
    IControl* width = f.gui->GetControl(n - 2);
    auto flags = [&] { return std::string(height->IsHidden() ? "1" : "0") + (width->IsHidden() ? "1" : "0"); };
    EXPECT_EQ(flags(), c.attached);
    f.manager->HideOneSideHandle(2);
    f.manager->ShowOneSideHandle(c.which);
    EXPECT_EQ(flags(), c.shown);
  }
}

// The edge handles sit on the window's edges at their thickness, scaled;
// one thinner than the minimum thickness is widened to it.
TEST(GUIResize, EdgeHandlesKeepTheMinimumThickness)
{
  struct Case
  {
    int thickness, minThickness;
    const char* scale;
    IRECT width, height;
  } kCases[] = {
    {8, 8, "1.0", IRECT(1132, 0, 1140, 800), IRECT(0, 792, 1140, 800)},
    {8, 8, "0.5", IRECT(562, 0, 570, 400), IRECT(0, 392, 570, 400)},
    {8, 5, "0.5", IRECT(565, 0, 570, 400), IRECT(0, 395, 570, 400)},
    {8, 4, "0.5", IRECT(566, 0, 570, 400), IRECT(0, 396, 570, 400)},
    {8, 12, "2.0", IRECT(2264, 0, 2280, 1600), IRECT(0, 1584, 2280, 1600)},
    {4, 12, "2.0", IRECT(2268, 0, 2280, 1600), IRECT(0, 1588, 2280, 1600)},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.thickness << " min " << c.minThickness << " at " << c.scale);
    ResizeFixture f(c.scale, false, [&c](IUnitGUIResize* m) { m->EnableOneSideResizing(c.thickness, c.minThickness, 2); });
    f.manager->ResizeGraphics();
    const int n = f.gui->NControls();
    EXPECT_EQ(f.gui->GetControl(n - 2)->GetTargetRECT(), c.width);
    EXPECT_EQ(f.gui->GetControl(n - 3)->GetTargetRECT(), c.height);
  }
}

// A corner handle whose stored rectangle is not square becomes the square
// of its smaller side at the bottom right, never below 16 pixels.
TEST(GUIResize, CornerHandleStaysASquare)
{
  struct Case
  {
    DRECT stored;
    IRECT placed;
  } kCases[] = {
    {DRECT{1100, 784, 1140, 800}, IRECT(1124, 784, 1140, 800)},
    {DRECT{1124, 760, 1140, 800}, IRECT(1124, 784, 1140, 800)},
    {DRECT{1120, 780, 1140, 800}, IRECT(1120, 780, 1140, 800)},
    {DRECT{1125, 785, 1140, 800}, IRECT(1124, 784, 1140, 800)},
    {DRECT{1126, 786, 1140, 800}, IRECT(1124, 784, 1140, 800)},
    {DRECT{1132, 700, 1140, 800}, IRECT(1124, 784, 1140, 800)},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(Text(c.stored));
    ResizeFixture f;
    f.manager->SetViewControlRECTs(0, f.manager, 0, c.stored, c.stored);
    f.manager->ResizeControlRects();
    EXPECT_EQ(f.manager->GetRECT(), c.placed);
    EXPECT_EQ(f.manager->GetTargetRECT(), c.placed);
  }
}

// A manager marked dirty, as every control is when the whole surface
// repaints, has no repaint of its own to ask for without the notice.
TEST(GUIResize, MarkedDirtyWithoutTheNoticeIsNotDirty)
{
  ResizeFixture f;
  f.manager->ResizeGraphics();
  while (f.gui->RunFrame()) {}
  f.manager->SetDirty(false);
  EXPECT_FALSE(f.manager->IsDirty());
  f.gui->SetAllControlsDirty();
  EXPECT_FALSE(f.manager->IsDirty());
}

// When another manager of the process has changed the process-wide scale
// after a resize, this one covers the window with the reopen notice and
// ignores the corner handle.
TEST(GUIResize, ReopenNoticeWhenTheProcessScaleMoves)
{
  ResizeFixture f;
  f.manager->ResizeGraphics();
  while (f.gui->RunFrame()) {}
  EXPECT_FALSE(f.manager->IsDirty());

  LayoutUnit other;
  IGraphicsHeadless* otherGui = new IGraphicsHeadless(&other, 1140, 800);
  other.AttachGraphics(otherGui);
  IUnitGUIResize second(&other, otherGui, 16, 16);
  second.SetGUIScaleLimits(50.0, 200.0);
  second.SetGUIScaleRatio(1.5);

  EXPECT_TRUE(f.manager->IsDirty());
  EXPECT_EQ(f.manager->GetRECT(), IRECT(0, 0, 1140, 800));
  f.gui->RunFrame();
  RAST_IBitmap* screen = f.gui->GetScreen();
  const RAST_pixel* bits = screen->getBits();
  const int span = screen->getRowSpan();
  EXPECT_EQ(bits[0], RAST_RGBA(25, 25, 25, 255));
  EXPECT_EQ(bits[799 * span + 1139], RAST_RGBA(25, 25, 25, 255));
  // The two lines of white text lie around the middle row.
  int white = 0;
  for (int y = 300; y < 500; ++y)
    for (int x = 0; x < 1140; ++x) white += bits[y * span + x] == RAST_RGBA(255, 255, 255, 255);
  EXPECT_GT(white, 500);

  IMouseMod left(true, false);
  f.gui->OnMouseDown(1130, 790, &left);
  f.gui->OnMouseDrag(1455, 1455, &left);
  EXPECT_FALSE(f.manager->IsDragging());
  EXPECT_EQ(f.gui->Width(), 1140);
}
