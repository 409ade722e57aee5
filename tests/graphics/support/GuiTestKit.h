// Test kit of the GUI tests: a plug-in that records what reaches it from the
// surface, and a control that paints a colour derived from its whole state
// (value, label, grey, index) and records the events it receives; a
// surface drawn on by hand and the fixture of the artwork cache's tests.
#pragma once

#include "core/TestUnit.h"
#include "graphics/IGraphicsHeadless.h"
#include "graphics/controls/IControl.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Rect.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

class GuiUnit : public TestUnit
{
public:
  explicit GuiUnit(int nParams = 16) : TestUnit(nParams) {}
  void OnIdle() override { ++mIdles; }
  bool IdleIsTimed() override { return mTimedIdle; }
  void BeginInformHostOfParamChange(int index) override { mEdits.push_back(index); }
  void EndInformHostOfParamChange(int index) override { mEdits.push_back(-1 - index); }

  int mIdles = 0;
  bool mTimedIdle = false;
  std::vector<int> mEdits;  // begin: index, end: -1 - index
};

class TestControl : public IControl
{
public:
  TestControl(IUnitBase* plug, IRECT rect, int param = -1) : IControl(plug, rect, param) {}

  // ---- events, recorded as short texts ----
  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    Note("down", x, y);
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Note("up", x, y); }
  void OnMouseDrag(int x, int y, int, int dY, IMouseMod*) override
  {
    Note("drag", x, y);
    // A knob: 100 pixels upwards turn it from 0 to 1.
    {
      BASE_MutexLock lock(mChangeLock);
      mValue -= dY * 0.01;
    }
    SetDirty(true);
  }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override
  {
    Note("dbl", x, y);
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int x, int y, IMouseMod*, int d) override
  {
    Note("wheel", x, y);
    {
      BASE_MutexLock lock(mChangeLock);
      mValue += d * 0.1;
    }
    SetDirty(true);
  }
  bool OnKeyDown(int, int, int key) override
  {
    Note("key", key, 0);
    return mTakesKeys;
  }
  void OnMouseOver(int x, int y, IMouseMod*) override { Note("over", x, y); }
  void OnMouseOut() override { mEvents.push_back("out"); }
  void TextFromTextEntry(const char* text) override { mEvents.push_back(std::string("text ") + text); }

  bool Draw(IGraphics* graphics) override
  {
    ++mDraws;
    RAST_FillRect(graphics->GetDrawBitmap(), mRECT.L, mRECT.T, mRECT.W(), mRECT.H(), Colour(),
                  mBlend.mWeight, 0);
    return true;
  }

  // The colour follows every part of the state a repaint must show.
  RAST_pixel Colour() const
  {
    unsigned hash = 7;
    for (const char* p = mLabel; *p; ++p) hash = hash * 31 + static_cast<unsigned char>(*p);
    return RAST_RGBA(static_cast<int>(mValue * 255.0), static_cast<int>(hash & 255),
                     40 + 20 * (mIdx % 8), 255);
  }
  // Changed from any thread, like a caption.
  void SetLabel(const char* text)
  {
    BASE_MutexLock lock(mChangeLock);
    snprintf(mLabel, sizeof(mLabel), "%s", text);
    SetDirty(false);
  }

  void Note(const char* what, int x, int y)
  {
    mEvents.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  std::string Events() const
  {
    std::string all;
    for (const std::string& e : mEvents) all += (all.empty() ? "" : "|") + e;
    return all;
  }

  char mLabel[32] = "";
  bool mTakesKeys = true;
  int mDraws = 0;
  std::vector<std::string> mEvents;
};

// A surface of width x height with a grey panel background. Open() hands
// it to the plug-in (which then owns it, shows every parameter on its
// controls and makes the bitmaps) and opens its window.
struct GuiFixture
{
  explicit GuiFixture(int width = 200, int height = 100, int nParams = 16)
    : unit(nParams), gui(new IGraphicsHeadless(&unit, width, height))
  {
    IColor grey(255, 128, 128, 128);
    gui->AttachPanelBackground(&grey);
  }
  ~GuiFixture()
  {
    if (!attached) delete gui;
  }
  TestControl* Add(IRECT rect, int param = -1)
  {
    auto* c = new TestControl(&unit, rect, param);
    gui->AttachControl(c);
    return c;
  }
  void Open()
  {
    unit.AttachGraphics(gui);
    attached = true;
    gui->OpenWindow(nullptr);
  }
  // Runs frames until nothing is dirty; the number of frames drawn.
  int Settle()
  {
    int frames = 0;
    while (gui->RunFrame() && frames < 100) ++frames;
    return frames;
  }

  GuiUnit unit;
  IGraphicsHeadless* gui;  // owned by the unit once attached
  bool attached = false;
};

// A surface ready to draw on, whose repaint area a test sets by hand.
class RepaintSurface : public IGraphicsHeadless
{
public:
  RepaintSurface(IUnitBase* plug, int w, int h) : IGraphicsHeadless(plug, w, h) { PrepDraw(); }
  void SetRepaint(const IRECT& r) { mDrawRECT = r; }
};

// The artwork cache is the process's: each test starts and leaves it empty.
struct ArtworkCacheTest : ::testing::Test
{
  ArtworkCacheTest() { IGraphics::ClearCachesForTest(); }
  ~ArtworkCacheTest() override { IGraphics::ClearCachesForTest(); }
};
