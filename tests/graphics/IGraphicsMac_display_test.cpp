// The desktop surface in a window on the virtual display: the pixels that
// reach the screen, clicks and keys made through the display's test input,
// the frame timer's life and the area it repaints, and a message box raised
// by a worker that holds the plug-in's lock.
#include "graphics/controls/IControlChanges.h"
#include "graphics/gtk/IGraphicsGtk.h"
#include "platform/gtk/PLAT_Alert.h"
#include "platform/gtk/PLAT_GtkChooser.h"
#include "graphics/IPopupMenu.h"
#include "winl/WINL_Menu.h"
#include "raster/RAST_Rect.h"
#include "support/GuiTestKit.h"
#include "support/MacSurfaceTest.h"
#include "support/MadeLocale.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace
{
// The display's key values of the keys pressed.
constexpr unsigned kKeyA = 0x61, kKeyB = 0x62, kKey9 = 0x39, kKeySpace = 0x20, kKeyUp = 0xff52, kKeyF5 = 0xffc2,
                   kKeypad0 = 0xffb0, kKeypad5 = 0xffb5, kKeypad9 = 0xffb9, kKeypadPlus = 0xffab;

// Paints its rectangle in one colour and records the area being repainted;
// counts the surface's dirty queries.
class ProbeControl : public TestControl
{
public:
  ProbeControl(IUnitBase* plug, IRECT rect, RAST_pixel colour, int param = -1)
    : TestControl(plug, rect, param), mColour(colour)
  {
  }
  bool Draw(IGraphics* graphics) override
  {
    mDrawAreas.push_back(graphics->GetDrawRECT());
    RAST_FillRect(graphics->GetDrawBitmap(), mRECT.L, mRECT.T, mRECT.W(), mRECT.H(), mColour, 1.0f, 0);
    return true;
  }
  bool IsDirty() override
  {
    ++mDirtyQueries;
    return IControl::IsDirty();
  }
  RAST_pixel mColour;
  std::vector<IRECT> mDrawAreas;
  int mDirtyQueries = 0;
};

class MacSurface : public WinlGtkTest
{
protected:
  MacSurface() : gui(new IGraphicsMac(&unit, 200, 100))
  {
    IColor grey(255, 128, 128, 128);
    gui->AttachPanelBackground(&grey);
  }
  ~MacSurface() override
  {
    if (!attached) delete gui;
  }
  ProbeControl* Probe(IRECT rect, RAST_pixel colour = RAST_RGBA(0, 0, 255, 255))
  {
    auto* c = new ProbeControl(&unit, rect, colour);
    gui->AttachControl(c);
    return c;
  }
  // The window and the view; the plug-in owns the surface from here on.
  PLAT_GtkSurfaceView* Open()
  {
    unit.AttachGraphics(gui);
    attached = true;
    window = ShownWindow(200, 100);
    return OpenShown(gui, window);
  }

  GuiUnit unit;
  IGraphicsMac* gui;
  bool attached = false;
  HWND window = nullptr;
};

TEST_F(MacSurface, PixelsReachTheScreenInTheirColours)
{
  // Bytes A 255, R 200, G 100, B 50 in memory.
  Probe(IRECT(20, 30, 30, 40), RAST_RGBA(200, 100, 50, 255));
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  const std::vector<uint32_t> square = view->TestScreenPixels(20, 30, 10, 10);
  ASSERT_EQ(square.size(), 100u);
  for (uint32_t p : square) ASSERT_EQ(p, 0xC86432u);
  // The grey around it, and its last row and column are the square's.
  EXPECT_EQ(view->TestScreenPixels(19, 30, 1, 1), std::vector<uint32_t>{0x808080u});
  EXPECT_EQ(view->TestScreenPixels(30, 39, 1, 1), std::vector<uint32_t>{0x808080u});
  EXPECT_EQ(view->TestScreenPixels(20, 40, 1, 1), std::vector<uint32_t>{0x808080u});
}

TEST_F(MacSurface, ClickAtAViewPixelHitsTheControlAtThatPixel)
{
  ProbeControl* dot = Probe(IRECT(37, 41, 38, 42));
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  struct Case
  {
    const char* name;
    int x, y;
    const char* events;
  } kCases[] = {
      {"on it", 37, 41, "down 37,41|up 37,41"},
      {"one right", 38, 41, ""},
      {"one left", 36, 41, ""},
      {"one above", 37, 40, ""},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    dot->mEvents.clear();
    Click(view, c.x, c.y, c.x, c.y);
    RunUntil([&] { return !c.events[0] || dot->Events() == c.events; });
    RunFor(20);
    EXPECT_EQ(dot->Events(), c.events);
  }
}

// Two quick presses of the left button are a press and a double click; of
// the right button, two presses (a knob's reset is the left button's).
TEST_F(MacSurface, OnlyTheLeftButtonDoubleClicks)
{
  ProbeControl* dot = Probe(IRECT(40, 40, 60, 60));
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  struct Case
  {
    const char* name;
    int button;
    const char* events;
  } kCases[] = {
      {"left", 1, "down 50,50|up 50,50|dbl 50,50|up 50,50"},
      {"right", 3, "down 50,50|up 50,50|down 50,50|up 50,50"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    dot->mEvents.clear();
    for (int i = 0; i < 2; ++i)
    {
      ASSERT_TRUE(view->TestButton(50, 50, c.button, true));
      ASSERT_TRUE(view->TestButton(50, 50, c.button, false));
    }
    EXPECT_TRUE(RunUntil([&] { return dot->mEvents.size() >= 4; }));
    EXPECT_EQ(dot->Events(), c.events);
    // Apart, so that the next case starts with a single press.
    ASSERT_TRUE(view->TestButton(10, 10, 1, true));
    ASSERT_TRUE(view->TestButton(90, 90, 1, false));
    RunFor(20);
  }
}

TEST_F(MacSurface, KeysGiveTheSurfaceCodesAndUnmappedOnesPassOn)
{
  ProbeControl* all = Probe(IRECT(0, 0, 200, 100));
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  struct Case
  {
    const char* name;
    unsigned keyval;
    bool takes;
    const char* events;
    bool passedOn;
  } kCases[] = {
      {"letter a", kKeyA, true, "key 15,0", false},
      {"up arrow", kKeyUp, true, "key 1,0", false},
      {"space", kKeySpace, true, "key 0,0", false},
      {"digit 9", kKey9, true, "key 14,0", false},
      {"keypad 0", kKeypad0, true, "key 5,0", false},
      {"keypad 5", kKeypad5, true, "key 10,0", false},
      {"keypad 9", kKeypad9, true, "key 14,0", false},
      {"keypad plus has no code", kKeypadPlus, true, "", true},
      {"F5 has no code", kKeyF5, true, "", true},
      {"a key the control refuses", kKeyB, false, "key 16,0", true},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    all->mEvents.clear();
    all->mTakesKeys = c.takes;
    MessageLog().clear();
    ASSERT_TRUE(view->TestKey(c.keyval));
    RunFor(50);
    EXPECT_EQ(all->Events(), c.events);
    EXPECT_EQ(MessagesTo(window, {WM_KEYDOWN}).size(), c.passedOn ? 1u : 0u);
  }
}

// The sub-window: borderless, of the GUI's size, owned by the host's window,
// horizontally centred on it (half the difference rounded down), shown a
// moment later; removed again, and replaced by a second attachment.
TEST_F(MacSurface, SubWindowOverTheHostWindow)
{
  unit.AttachGraphics(gui);
  attached = true;
  HWND host = ShownWindow(301, 100);
  RECT hostRect{};
  GetWindowRect(host, &hostRect);

  gui->AttachSubWindow(host);
  HWND child = static_cast<HWND>(gui->GetSubWindow());
  ASSERT_NE(child, nullptr);
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_TRUE(RunUntil([child] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(child)); }));
  EXPECT_EQ(GetWindow(child, GW_OWNER), host);
  EXPECT_EQ(GetWindowLong(child, GWL_STYLE) & WS_CAPTION, 0);
  RECT childRect{};
  GetWindowRect(child, &childRect);
  EXPECT_EQ(childRect.left - hostRect.left, 50);  // (301 - 200) / 2
  EXPECT_EQ(childRect.right - childRect.left, 200);
  EXPECT_EQ(childRect.bottom - childRect.top, 100);
  EXPECT_EQ(childRect.bottom, hostRect.bottom);  // the same top edge

  gui->AttachSubWindow(host);
  HWND second = static_cast<HWND>(gui->GetSubWindow());
  EXPECT_FALSE(IsWindow(child));
  ASSERT_TRUE(IsWindow(second));
  gui->RemoveSubWindow();
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(gui->GetSubWindow(), nullptr);
  EXPECT_TRUE(IsWindow(host));
  gui->RemoveSubWindow();
  DestroyWindow(host);
}

TEST_F(MacSurface, OneViewAtATimeAndNoQueriesAfterClosing)
{
  ProbeControl* probe = Probe(IRECT(0, 0, 10, 10));
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(PLAT_GtkSurfaceView::TestDrawingAreaCount(), 1);
  ASSERT_NE(gui->OpenWindow(window), nullptr);
  PLAT_GtkTestSettle();
  EXPECT_EQ(PLAT_GtkSurfaceView::TestDrawingAreaCount(), 1);

  gui->CloseWindow();
  PLAT_GtkTestSettle();
  EXPECT_EQ(PLAT_GtkSurfaceView::TestDrawingAreaCount(), 0);
  const int queries = probe->mDirtyQueries;
  probe->SetDirty(false);
  RunFor(200);
  EXPECT_EQ(probe->mDirtyQueries, queries);
}

// What runs after a view's first paint: the frame is on the screen by then,
// and it runs once.
struct AfterPaint
{
  PLAT_GtkSurfaceView* view = nullptr;
  ProbeControl* probe = nullptr;
  int calls = 0;
  size_t drawsBefore = 0;
  std::vector<uint32_t> shown;
  static bool Run(void* data)
  {
    auto* a = static_cast<AfterPaint*>(data);
    ++a->calls;
    a->drawsBefore = a->probe->mDrawAreas.size();
    if (a->view) a->shown = a->view->TestScreenPixels(10, 10, 1, 1);
    return true;
  }
};

TEST_F(MacSurface, WorkAfterTheFirstPaintFindsTheFrameOnTheScreen)
{
  ProbeControl* probe = Probe(IRECT(10, 10, 20, 20), RAST_RGBA(200, 100, 50, 255));
  unit.AttachGraphics(gui);
  attached = true;
  window = ShownWindow(200, 100);
  ASSERT_NE(gui->OpenWindow(window), nullptr);
  AfterPaint after;
  after.view = gui->GetView();
  after.probe = probe;
  ASSERT_TRUE(PLAT_GtkSurfaceView::AfterFirstPaint(AfterPaint::Run, &after, 60000));
  ASSERT_TRUE(RunUntil([&] { return after.calls > 0; }));
  EXPECT_EQ(after.drawsBefore, 1u);
  EXPECT_EQ(after.shown, std::vector<uint32_t>{0xC86432u});
  RunFor(100);
  EXPECT_EQ(after.calls, 1);
  // Every view has painted: nothing waits, and nothing is called.
  EXPECT_FALSE(PLAT_GtkSurfaceView::AfterFirstPaint(AfterPaint::Run, &after, 10));
  RunFor(50);
  EXPECT_EQ(after.calls, 1);
}

TEST_F(MacSurface, WorkAfterTheFirstPaintRunsAfterItsWaitWhenTheViewNeverPaints)
{
  ProbeControl* probe = Probe(IRECT(10, 10, 20, 20));
  unit.AttachGraphics(gui);
  attached = true;
  // A window never shown: its view never paints.
  window = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
  ASSERT_NE(gui->OpenWindow(window), nullptr);
  AfterPaint after;
  after.probe = probe;
  ASSERT_TRUE(PLAT_GtkSurfaceView::AfterFirstPaint(AfterPaint::Run, &after, 30));
  ASSERT_TRUE(RunUntil([&] { return after.calls > 0; }));
  EXPECT_EQ(after.drawsBefore, 0u);
  RunFor(100);
  EXPECT_EQ(after.calls, 1);
}

TEST_F(MacSurface, FramesGoOnUnderAModalFileChooser)
{
  ProbeControl* probe = Probe(IRECT(0, 0, 10, 10));
  // Only the frame timer paints here: a change does not wake the surface.
  gui->SetRestingWake(nullptr);
  IControlChanges::Arm(nullptr);
  ASSERT_NE(Open(), nullptr);
  // A test timeout watches the chooser: once it shows, the probe changes,
  // and the chooser is cancelled once the change was drawn, or after five
  // seconds.
  struct Watch
  {
    ProbeControl* probe;
    size_t drawsAtChange = 0;
    bool changed = false;
    bool drawn = false;
    int ticks = 0;
  } watch{probe};
  const unsigned closer = PLAT_LoopAddTimeout(
      20,
      [](void* data) {
        auto* w = static_cast<Watch*>(data);
        PLAT_ChooserTest* chooser = PLAT_ChooserTestCurrent();
        if (!chooser) return true;
        if (!w->changed)
        {
          w->changed = true;
          w->drawsAtChange = w->probe->mDrawAreas.size();
          w->probe->SetDirty(false);
        }
        w->drawn = w->probe->mDrawAreas.size() > w->drawsAtChange;
        if (!w->drawn && ++w->ticks < 250) return true;
        PLAT_ChooserTestCancel(chooser);
        return false;
      },
      &watch);
  BASE_String file(""), dir("");
  gui->PromptForFile(&file, 0, &dir, "pr3", nullptr);
  PLAT_LoopRemove(closer);
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(dir.Get(), "~/Desktop");
  EXPECT_TRUE(watch.changed);
  EXPECT_TRUE(watch.drawn);
}

TEST_F(MacSurface, ADirtyControlRepaintsItsRectangleAndOnePixelMore)
{
  ProbeControl* probe = Probe(IRECT(10, 20, 30, 40));
  ASSERT_NE(Open(), nullptr);
  probe->mDrawAreas.clear();
  probe->SetDirty(false);
  ASSERT_TRUE(RunUntil([probe] { return !probe->mDrawAreas.empty(); }));
  const IRECT area = probe->mDrawAreas.front();
  EXPECT_EQ((std::vector<int>{area.L, area.T, area.W(), area.H()}), (std::vector<int>{10, 20, 21, 21}));
}

TEST_F(MacSurface, ADragRepaintsTheKnobWithoutWaitingForTheFrameTimer)
{
  ProbeControl* knob = Probe(IRECT(10, 20, 30, 40));
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  // A click beside the knob first gives the view the keyboard, which repaints
  // it whole; with the timer stopped then only the input itself can ask for
  // the knob's frame.
  Click(view, 100, 80, 100, 80);
  RunFor(100);
  view->StopTimer();
  knob->mDrawAreas.clear();
  knob->mEvents.clear();
  Click(view, 15, 25, 15, 35);
  ASSERT_TRUE(RunUntil([knob] { return knob->Events().find("drag") != std::string::npos; }));
  // The knob's own repaint, whatever else the display asks to be painted.
  EXPECT_TRUE(RunUntil([knob] {
    for (const IRECT& area : knob->mDrawAreas)
      if (std::vector<int>{area.L, area.T, area.W(), area.H()} == std::vector<int>{10, 20, 21, 21}) return true;
    return false;
  }));
}

// Left alone the surface rests: its frame timer slows down, and a control
// changed by another thread or a click brings the full rate back. The
// change does not wait for the resting timer: it asks for a frame itself
// (the timer is held back here for ten minutes).
TEST_F(MacSurface, AQuietSurfaceSlowsItsTimerUntilAControlChangesOrInputComes)
{
  ProbeControl* probe = Probe(IRECT(10, 20, 30, 40));
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(RunUntil([view] { return view->FrameIntervalMs() == 250; }));
  view->SetFrameInterval(600000);
  probe->mDrawAreas.clear();
  std::thread([probe] { probe->SetLabel("from the synth"); }).join();
  ASSERT_TRUE(RunUntil([probe] { return !probe->mDrawAreas.empty(); }));
  EXPECT_EQ(view->FrameIntervalMs(), 8);
  ASSERT_TRUE(RunUntil([view] { return view->FrameIntervalMs() == 250; }));
  Click(view, 100, 80, 100, 80);
  EXPECT_TRUE(RunUntil([view] { return view->FrameIntervalMs() == 8; }));
  view->StopTimer();
  EXPECT_EQ(view->FrameIntervalMs(), 0);
}

TEST_F(MacSurface, TypedTextPassesTheEntryRuleAndReachesTheParameter)
{
  unit.GetParam(3)->InitInt("n", 0, -100000000, 100000000);
  ProbeControl* field = new ProbeControl(&unit, IRECT(10, 10, 80, 30), RAST_RGBA(0, 0, 255, 255), 3);
  gui->AttachControl(field);
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  IRECT rect(10, 10, 80, 30);
  gui->PromptUserInput(field, unit.GetParam(3), &rect);
  RunFor(50);
  std::string text;
  PLAT_Rect frame;
  ASSERT_TRUE(view->TestTextField(&text, &frame));
  EXPECT_EQ(text, "0");
  EXPECT_EQ((std::vector<int>{frame.x, frame.y, frame.w, frame.h}), (std::vector<int>{10, 10, 70, 20}));
  // Letters are refused and seven characters is the control's limit.
  view->TestTypeAndEnter("12a34-5678");
  EXPECT_FALSE(view->IsTextFieldOpen());
  EXPECT_FALSE(gui->IsTextEntryOpen());
  EXPECT_EQ(unit.GetParam(3)->Value(), 1234.0);
}

// The focus may leave the surface's window while an entry is open (another
// window shown, an earlier event's focus arriving late): the entry stays
// open until Enter, Escape or a click beside it.
TEST_F(MacSurface, AnEntryOutlivesTheWindowsFocusAndEndsOnlyByTheUser)
{
  constexpr unsigned kEscape = 0xff1b;
  unit.GetParam(3)->InitInt("n", 0, -100000000, 100000000);
  ProbeControl* field = new ProbeControl(&unit, IRECT(10, 10, 80, 30), RAST_RGBA(0, 0, 255, 255), 3);
  gui->AttachControl(field);
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  const struct
  {
    const char* end;
    double value;  // the parameter afterwards
  } kEnds[] = {{"enter", 42.0}, {"escape", 7.0}, {"click beside", 42.0}};
  for (const auto& c : kEnds)
  {
    SCOPED_TRACE(c.end);
    unit.GetParam(3)->SetPlain(7);
    field->SetValueFromPlug(unit.GetParam(3)->GetNormalized());
    // A window that had the keyboard goes while the entry opens.
    HWND other = ShownWindow(120, 60);
    SetForegroundWindow(other);
    EXPECT_TRUE(view->TestKey('a'));
    IRECT rect(10, 10, 80, 30);
    gui->PromptUserInput(field, unit.GetParam(3), &rect);
    ASSERT_TRUE(view->IsTextFieldOpen());
    DestroyWindow(other);
    RunFor(150);
    EXPECT_TRUE(view->IsTextFieldOpen());
    view->TestType("42");
    if (std::string(c.end) == "enter")
      view->TestTypeAndEnter("42");
    else if (std::string(c.end) == "escape")
      EXPECT_TRUE(view->TestKey(kEscape));
    else
      EXPECT_TRUE(view->TestButton(150, 80, 1, true) && view->TestButton(150, 80, 1, false));
    EXPECT_TRUE(RunUntil([&] { return !view->IsTextFieldOpen(); }));
    EXPECT_FALSE(gui->IsTextEntryOpen());
    EXPECT_EQ(unit.GetParam(3)->Value(), c.value);
  }
}

// Escape leaves the value exactly as it was, though the entry opened with
// its rounded display (0.457 for 0.4567), also after typing; Enter takes
// the text typed.
TEST_F(MacSurface, EscapeLeavesADoubleValueAsItWas)
{
  constexpr unsigned kEscape = 0xff1b, kReturn = 0xff0d;
  unit.GetParam(3)->InitDouble("d", 0.0, 0.0, 10.0, 0.001);
  ProbeControl* field = new ProbeControl(&unit, IRECT(10, 10, 80, 30), RAST_RGBA(0, 0, 255, 255), 3);
  gui->AttachControl(field);
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  const struct
  {
    const char* name;
    const char* typed;  // before the key
    unsigned key;       // Escape or Return
    double value;       // the parameter afterwards
  } kCases[] = {
    {"escape at once", "", kEscape, 0.4567},
    {"escape after typing", "12", kEscape, 0.4567},
    {"enter at once", "", kReturn, 0.457},
    {"enter after typing", "1.25", kReturn, 1.25},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    unit.GetParam(3)->SetPlain(0.4567);
    field->SetValueFromPlug(unit.GetParam(3)->GetNormalized());
    IRECT rect(10, 10, 80, 30);
    gui->PromptUserInput(field, unit.GetParam(3), &rect);
    ASSERT_TRUE(view->IsTextFieldOpen());
    EXPECT_EQ(view->TextFieldText(), "0.457");
    if (*c.typed)
    {
      // The opening text is selected: typing replaces it.
      view->TestType(c.typed);
      EXPECT_EQ(view->TextFieldText(), c.typed);
    }
    EXPECT_TRUE(view->TestKey(c.key));
    EXPECT_TRUE(RunUntil([&] { return !view->IsTextFieldOpen(); }));
    EXPECT_FALSE(gui->IsTextEntryOpen());
    // Escape leaves the very double; a value entered goes through the
    // parameter's normalised range, which may move its last bit.
    if (c.key == kEscape)
      EXPECT_EQ(unit.GetParam(3)->Value(), c.value);
    else
      EXPECT_NEAR(unit.GetParam(3)->Value(), c.value, 1e-12);
  }
}

// Under a decimal-comma locale the entry opens with the value written with
// a point, the only mark it accepts, and Enter reads it back unchanged (it
// opened with "2,50", which read back as 2).
TEST_F(MacSurface, AnEntryOpensWithANumberItReadsBackUnderACommaLocale)
{
  ScopedMadeLocale german("de_DE.UTF-8");
  if (!german.Active()) GTEST_SKIP() << german.Why();
  unit.GetParam(3)->InitDouble("d", 0.0, 0.0, 10.0, 0.01);
  ProbeControl* field = new ProbeControl(&unit, IRECT(10, 10, 80, 30), RAST_RGBA(0, 0, 255, 255), 3);
  gui->AttachControl(field);
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  unit.GetParam(3)->SetPlain(2.5);
  field->SetValueFromPlug(unit.GetParam(3)->GetNormalized());
  IRECT rect(10, 10, 80, 30);
  gui->PromptUserInput(field, unit.GetParam(3), &rect);
  ASSERT_TRUE(view->IsTextFieldOpen());
  EXPECT_EQ(view->TextFieldText(), "2.50");
  EXPECT_TRUE(view->TestKey(0xff0d));  // Return
  EXPECT_TRUE(RunUntil([&] { return !view->IsTextFieldOpen(); }));
  EXPECT_NEAR(unit.GetParam(3)->Value(), 2.5, 1e-12);
}

// A text field's colours reach the screen under a decimal-comma locale as
// under C: the style sheet's alpha is written with a point (it was
// "rgba(32,192,64,1,000)", which the toolkit refused, leaving the theme's
// colours).
TEST_F(MacSurface, AFieldsColoursHoldUnderEitherLocale)
{
  PLAT_GtkSurfaceView* view = Open();
  ASSERT_NE(view, nullptr);
  for (const char* locale : {"C", "de_DE.UTF-8"})
  {
    SCOPED_TRACE(locale);
    std::unique_ptr<ScopedMadeLocale> made;
    if (std::string(locale) != "C")
    {
      made = std::make_unique<ScopedMadeLocale>(locale);
      if (!made->Active()) GTEST_SKIP() << made->Why();
    }
    PLAT_GtkSurfaceView::TextField style;
    style.backColor = 0xFF20C040;
    view->OpenTextField(PLAT_Rect{20, 20, 120, 40}, "", style);
    ASSERT_TRUE(view->IsTextFieldOpen());
    // The field's middle, right of where a caret or text would stand.
    EXPECT_TRUE(RunUntil([&] { return view->TestScreenPixels(110, 40, 1, 1) == std::vector<uint32_t>{0x20C040u}; }));
    view->CloseTextField();
  }
}

TEST_F(MacSurface, AChoiceInASubmenuComesBackOnTheSubmenu)
{
  ASSERT_NE(Open(), nullptr);
  IPopupMenu sub;
  sub.AddItemText("x");
  sub.AddItemText("y");
  IPopupMenu menu;
  menu.AddItemText("A & B");
  menu.AddSeparator();
  menu.AddItemText("off", -1, IPopupMenu::IPopupMenuItem::kDisabled);
  menu.AppendItemSubmenu("more", &sub);
  // Commands count the items that can be chosen, depth first: A 1, off 2,
  // x 3, y 4.
  WINL_TestQueuePopupAnswer(4);
  IRECT rect(10, 10, 40, 20);
  EXPECT_EQ(gui->CreateIPopupMenu(&menu, &rect), &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  WINL_TestQueuePopupAnswer(1);
  EXPECT_EQ(gui->CreateIPopupMenu(&menu, &rect), &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 0);
  WINL_TestQueuePopupAnswer(0);
  EXPECT_EQ(gui->CreateIPopupMenu(&menu, &rect), nullptr);
}

TEST_F(MacSurface, MessageBoxFromAWorkerHoldingThePluginLock)
{
  ASSERT_NE(Open(), nullptr);
  int result = -1;
  std::atomic<bool> holding{false};
  std::thread worker([&] {
    BASE_MutexLock held(unit.GetMutex());
    holding = true;
    result = gui->ShowMessageBox("Communication error has occurred!", "ZephraSurfaceBox", 4);
  });
  std::thread user([] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (PLAT_AlertHelperPid() == 0 && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(std::system("xdotool search --sync --onlyvisible --name ZephraSurfaceBox >/dev/null && sleep 0.3 && "
                          "xdotool key Return"),
              0);
  });
  // The main thread waits on the lock, as drawing would.
  while (!holding) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  {
    BASE_MutexLock wait(unit.GetMutex());
  }
  worker.join();
  user.join();
  EXPECT_EQ(result, 1);
}
}  // namespace
