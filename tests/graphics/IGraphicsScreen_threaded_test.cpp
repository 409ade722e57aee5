// The screen a view shows, built only from the rectangles each frame
// repaints, must end equal to a repaint from scratch, also while another
// thread changes controls the way the MIDI and timer threads do.
#include "support/GuiTestKit.h"
#include "graphics/IGraphicsView.h"
#include "raster/RAST_Blit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

namespace
{
constexpr int kW = 200, kH = 100, kControls = 12;

struct Scene
{
  GuiFixture f{kW, kH};
  std::vector<TestControl*> controls;

  explicit Scene(std::mt19937* rng)
  {
    for (int i = 0; i < kControls; ++i)
    {
      const int x = static_cast<int>((*rng)() % (kW - 30)), y = static_cast<int>((*rng)() % (kH - 20));
      controls.push_back(f.Add(IRECT(x, y, x + 10 + static_cast<int>((*rng)() % 30),
                                     y + 8 + static_cast<int>((*rng)() % 20)),
                               1 + i));
    }
    f.Open();
    f.gui->HandleMouseOver(true);
  }

  // What another thread does: under the plug mutex, as the editor's
  // handlers hold it, change captions, visibility, values and places.
  void OtherThreadChange(std::mt19937* rng)
  {
    BASE_MutexLock lock(f.unit.GetMutex());
    const int param = 1 + static_cast<int>((*rng)() % kControls);
    TestControl* c = controls[static_cast<size_t>(param - 1)];
    switch ((*rng)() % 5)
    {
      case 0: c->SetLabel(std::to_string((*rng)() % 1000).c_str()); break;
      case 1: f.gui->HideControl(param, (*rng)() % 3 == 0); break;
      case 2: f.gui->SetParameterFromPlug(param, ((*rng)() % 256) / 255.0, true); break;
      case 3:
        f.gui->MoveControlByParam(param, static_cast<int>((*rng)() % (kW - 20)),
                                  static_cast<int>((*rng)() % (kH - 10)));
        break;
      default: c->SetTooltip(std::to_string((*rng)() % 1000).c_str()); break;
    }
  }

  // What the user does on the GUI thread.
  void UserEvent(std::mt19937* rng)
  {
    const int x = static_cast<int>((*rng)() % kW), y = static_cast<int>((*rng)() % kH);
    IMouseMod m(true, false);
    switch ((*rng)() % 6)
    {
      case 0: f.gui->OnMouseDown(x, y, &m); break;
      case 1: f.gui->OnMouseDrag(x, y, &m); break;
      case 2: f.gui->OnMouseUp(x, y, &m); break;
      case 3: f.gui->OnMouseWheel(x, y, &m, static_cast<int>((*rng)() % 5) - 2); break;
      case 4: f.gui->GrayOutControl(1 + static_cast<int>((*rng)() % kControls), (*rng)() % 2 == 0); break;
      default:
      {
        // The tooltip text is read here while the other thread changes it.
        BASE_String tip;
        f.gui->OnMouseOver(x, y, &m);
        f.gui->GetMouseOverTooltip(&tip);
        break;
      }
    }
  }

  // A frame with a change landing between the dirty query and the repaint,
  // the window the other thread hits only now and then.
  void SplitFrame(std::mt19937* rng)
  {
    IRECT dirty;
    if (!f.gui->IsDirty(&dirty)) return;
    OtherThreadChange(rng);
    const IViewRect v = GUIRectToView(dirty, kH);
    IRECT area = ViewRectToGUI(v.x, v.y, v.w, v.h, kH);
    f.gui->Draw(&area);
  }

  // Pixels where the shown screen differs from a full repaint.
  int Mismatches()
  {
    RAST_MemBitmap shown(0, 0, 4);
    RAST_Copy(&shown, f.gui->GetScreen());
    IRECT all(0, 0, kW, kH);
    f.gui->Draw(&all);
    int bad = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        bad += RAST_GetPixel(&shown, x, y) != RAST_GetPixel(f.gui->GetDrawBitmap(), x, y);
    return bad;
  }
};
}  // namespace

TEST(IGraphicsScreen, PartialRepaintsMatchAFullRepaint)
{
  for (unsigned seed = 1; seed <= 12; ++seed)
  {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    Scene scene(&rng);
    std::atomic<bool> stop{false};
    std::thread other([&] {
      std::mt19937 otherRng(seed * 7919u);
      while (!stop.load()) scene.OtherThreadChange(&otherRng);
    });
    for (int step = 0; step < 400; ++step)
    {
      scene.UserEvent(&rng);
      const unsigned frame = rng() % 4;
      if (frame == 1) scene.f.gui->RunFrame();
      if (frame == 2) scene.SplitFrame(&rng);
    }
    stop = true;
    other.join();
    // A few more changes with no thread around, then the view catches up.
    for (int i = 0; i < 20; ++i) scene.OtherThreadChange(&rng);
    scene.f.Settle();
    EXPECT_EQ(scene.Mismatches(), 0);
  }
}
