// The main window as the GUI's scale makes it: the stored scale sizes the
// window so that the GUI fills its client area exactly, the resize corner
// grows and shrinks the window with the GUI, and on a small screen the
// whole window, menu bar included, lies inside the work area.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{
using Rect = RunningEditor::Rect;

// The theme's menu bar is light and the GUI's artwork dark.
bool Light(uint32_t rgb)
{
  return (rgb >> 16 & 0xFF) >= 0xC0 && (rgb >> 8 & 0xFF) >= 0xC0 && (rgb & 0xFF) >= 0xC0;
}

// The main window's client area: the window below its menu bar, whose rows
// are the light ones at the window's top.
Rect ClientArea(const RunningEditor& editor)
{
  Rect r = editor.MainRect();
  int bar = 0;
  while (bar < r.h && Light(editor.Pixel(r.x, r.y + bar))) ++bar;
  r.y += bar;
  r.h -= bar;
  return r;
}

std::string Size(const Rect& r) { return std::to_string(r.w) + "x" + std::to_string(r.h); }

class WindowScale : public ::testing::Test
{
protected:
  // Starts the editor with the stored scale on a screen of the given size.
  bool Start(const char* scale, int width = 2400, int height = 1800)
  {
    RunningEditorSetup setup;
    setup.settings = std::string("[gui]\nguiscale=") + scale + "\n";
    setup.screenWidth = width;
    setup.screenHeight = height;
    mEditor = std::make_unique<RunningEditor>(setup);
    std::string error;
    if (mEditor->Start(error)) return true;
    if (error.rfind("no JACK server", 0) == 0)
      mSkip = error;
    else
      ADD_FAILURE() << error;
    return false;
  }
  bool Stored(const std::string& scale) const
  {
    return mEditor->SettingsText().find("guiscale=" + scale + "\n") != std::string::npos;
  }
  // Waits until the client area has the size.
  bool ClientIs(const std::string& size) const
  {
    return RunningEditor::WaitUntil([&] { return Size(ClientArea(*mEditor)) == size; }, RunningEditor::kBusyLimit);
  }

  std::unique_ptr<RunningEditor> mEditor;
  std::string mSkip;
};

#define START_OR_SKIP(...)                 \
  if (!Start(__VA_ARGS__))                 \
  {                                        \
    if (!mSkip.empty()) GTEST_SKIP() << mSkip; \
    return;                                \
  }

// The client area is the GUI's size at the stored scale and the GUI fills
// it: its bottom-right pixel is the resize handle's white corner, its
// bottom-left one the GUI's dark artwork, not the window's light background.
TEST_F(WindowScale, StoredScalesSizeTheWindowAndTheGUIFillsIt)
{
  const struct
  {
    const char* stored;
    const char* client;
  } kCases[] = {{"0.5", "570x400"}, {"1.0", "1140x800"}, {"1.5", "1710x1200"}, {"2.0", "2280x1600"}};
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.stored);
    START_OR_SKIP(c.stored);
    EXPECT_TRUE(ClientIs(c.client)) << Size(ClientArea(*mEditor));
    const Rect client = ClientArea(*mEditor);
    EXPECT_EQ(mEditor->Pixel(client.x + client.w - 1, client.y + client.h - 1), 0xFFFFFFu);
    EXPECT_FALSE(Light(mEditor->Pixel(client.x, client.y + client.h - 1)));
    EXPECT_EQ(mEditor->MainRect().h - client.h, 25);  // the menu bar, the same at every scale
    EXPECT_TRUE(mEditor->SavePicture(std::string("e2e-scale-") + c.stored, mEditor->MainRect()));
    EXPECT_EQ(mEditor->Stop(SIGTERM), 0);
  }
}

// A stored scale above the largest a drag reaches (2.0) opens as stored
// when the window fits the screen, and stays in the settings as the user
// wrote it: 2.1 gives 2394 x 1680 (1680 + the 25 of the menu bar < 1800).
TEST_F(WindowScale, AStoredScaleAboveTheLargestOpensAsStored)
{
  START_OR_SKIP("2.1");
  EXPECT_TRUE(ClientIs("2394x1680")) << Size(ClientArea(*mEditor));
  const Rect client = ClientArea(*mEditor);
  EXPECT_EQ(mEditor->Pixel(client.x + client.w - 1, client.y + client.h - 1), 0xFFFFFFu);
  EXPECT_TRUE(Stored("2.1"));
  EXPECT_EQ(mEditor->Stop(SIGTERM), 0);
  EXPECT_TRUE(Stored("2.1")) << mEditor->SettingsText();
}

// A drag of the corner by (-285, -200) from scale 1.0 gives (854 + 599) /
// 1940 and a window that follows with its top-left corner in place; a drag
// back to the GUI's point (1140, 800) restores 1.0.
TEST_F(WindowScale, CornerDragGrowsAndShrinksTheWindow)
{
  START_OR_SKIP("1.0");
  ASSERT_TRUE(ClientIs("1140x800"));
  const Rect start = ClientArea(*mEditor);
  const int right = start.x + start.w - 1, bottom = start.y + start.h - 1;
  mEditor->Drag(right, bottom, right - 285, bottom - 200);
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return Stored("0.748969072164948"); }, RunningEditor::kBusyLimit)) << mEditor->SettingsText();
  EXPECT_TRUE(ClientIs("853x599")) << Size(ClientArea(*mEditor));
  Rect small = ClientArea(*mEditor);
  EXPECT_EQ(small.x, start.x);
  EXPECT_EQ(small.y, start.y);
  EXPECT_TRUE(RunningEditor::WaitUntil(
    [&] { return mEditor->Pixel(small.x + small.w - 1, small.y + small.h - 1) == 0xFFFFFFu; }, RunningEditor::kBusyLimit));

  mEditor->Drag(small.x + small.w - 1, small.y + small.h - 1, start.x + 1140, start.y + 800);
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return Stored("1.000000000000000"); }, RunningEditor::kBusyLimit)) << mEditor->SettingsText();
  EXPECT_TRUE(ClientIs("1140x800")) << Size(ClientArea(*mEditor));
  EXPECT_EQ(ClientArea(*mEditor).x, start.x);
  EXPECT_EQ(mEditor->Stop(SIGTERM), 0);
}

// On a 1366x768 screen the scale is fitted to the height the menu bar
// leaves, (768 - 25) / 800, and the whole window lies on the screen (with no
// window manager, the work area), the keyboard row at its bottom visible.
TEST_F(WindowScale, ASmallScreenHoldsTheWholeWindow)
{
  START_OR_SKIP("1.0", 1366, 768);
  EXPECT_TRUE(Stored("0.928750000000000")) << mEditor->SettingsText();
  const Rect window = mEditor->MainRect();
  EXPECT_GE(window.x, 0);
  EXPECT_GE(window.y, 0);
  EXPECT_LE(window.x + window.w, 1366);
  EXPECT_LE(window.y + window.h, 768);
  EXPECT_TRUE(ClientIs("1058x743")) << Size(ClientArea(*mEditor));
  // Below the black keys the white keys are light across the keyboard.
  int light = 0, all = 0;
  for (int gx = 470; gx < 890; gx += 10, ++all)
  {
    const auto [x, y] = mEditor->GuiPoint(gx, 792, 0.92875);
    light += Light(mEditor->Pixel(x, y));
  }
  EXPECT_GE(light * 10, all * 7) << light << " of " << all;
  EXPECT_TRUE(mEditor->SavePicture("e2e-small-screen", Rect{0, 0, 1366, 768}));
  EXPECT_EQ(mEditor->Stop(SIGTERM), 0);
}

// Under a window manager the title bar and borders lie outside the client
// area: a fresh start on a small screen fits the whole frame, title bar,
// menu bar and GUI, inside the screen (the work area: no panels here), so
// the keyboard's white keys and CLEAR ALL at the GUI's bottom show.
TEST_F(WindowScale, UnderAWindowManagerAFreshStartFitsTheWholeFrame)
{
  const struct
  {
    int width, height;
  } kScreens[] = {{1366, 768}, {1280, 720}};
  for (const auto& screen : kScreens)
  {
    SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height));
    RunningEditorSetup setup;
    setup.screenWidth = screen.width;
    setup.screenHeight = screen.height;
    setup.windowManager = true;
    mEditor = std::make_unique<RunningEditor>(setup);
    RUNNING_EDITOR_START_OR_SKIP(*mEditor);
    const auto inside = [&] {
      const Rect frame = mEditor->MainFrameRect();
      return frame.w > 0 && frame.x >= 0 && frame.y >= 0 && frame.x + frame.w <= screen.width &&
             frame.y + frame.h <= screen.height;
    };
    const auto show = [](const Rect& r) {
      return std::to_string(r.x) + "," + std::to_string(r.y) + " " + Size(r);
    };
    EXPECT_TRUE(RunningEditor::WaitUntil(inside, RunningEditor::kBusyLimit)) << show(mEditor->MainFrameRect());
    // The frame has a title bar: the client area starts below the frame's top.
    EXPECT_GT(mEditor->MainRect().y, mEditor->MainFrameRect().y);
    // The GUI fills the client area down to the resize handle's white
    // corner, which lies on the screen.
    const auto gui = [&] {
      const Rect client = ClientArea(*mEditor);
      return client.w > 0 && client.y + client.h <= screen.height &&
             std::abs(client.w * 800 - client.h * 1140) <= 1140 &&
             mEditor->Pixel(client.x + client.w - 1, client.y + client.h - 1) == 0xFFFFFFu;
    };
    EXPECT_TRUE(RunningEditor::WaitUntil(gui, RunningEditor::kBusyLimit)) << show(ClientArea(*mEditor));
    const Rect client = ClientArea(*mEditor);
    const double scale = client.w / 1140.0;
    // Below the black keys the white keys are light across the keyboard,
    // and CLEAR ALL's light caption shows.
    int light = 0, all = 0;
    for (int gx = 470; gx < 890; gx += 10, ++all)
    {
      const auto [x, y] = mEditor->GuiPoint(gx, 792, scale);
      light += Light(mEditor->Pixel(x, y)) && y < screen.height;
    }
    EXPECT_GE(light * 10, all * 7) << light << " of " << all;
    EXPECT_TRUE(mEditor->SavePicture("e2e-wm-" + std::to_string(screen.height),
                                     Rect{0, 0, screen.width, screen.height}));
    EXPECT_EQ(mEditor->Stop(SIGTERM), 0);
  }
}

// Under a window manager only the corner handle sizes the window: a drag
// of the frame's corner and a maximise (a double click on the title bar)
// leave the client area the GUI's, filled to the handle's white corner.
TEST_F(WindowScale, UnderAWindowManagerTheBorderAndMaximiseLeaveNoMargin)
{
  RunningEditorSetup setup;
  setup.windowManager = true;
  mEditor = std::make_unique<RunningEditor>(setup);
  RUNNING_EDITOR_START_OR_SKIP(*mEditor);
  ASSERT_TRUE(ClientIs("1140x800")) << Size(ClientArea(*mEditor));
  const Rect window = mEditor->MainRect(), frame = mEditor->MainFrameRect();
  const auto changed = [&] {
    const Rect client = ClientArea(*mEditor);
    return Size(mEditor->MainRect()) != Size(window) || Size(client) != "1140x800" ||
           mEditor->Pixel(client.x + client.w - 1, client.y + client.h - 1) != 0xFFFFFFu;
  };
  mEditor->Drag(frame.x + frame.w - 1, frame.y + frame.h - 1, frame.x + frame.w + 200, frame.y + frame.h + 150);
  EXPECT_FALSE(RunningEditor::WaitUntil(changed, 3)) << Size(mEditor->MainRect());
  mEditor->DoubleClick(frame.x + frame.w / 2, (frame.y + window.y) / 2);
  EXPECT_FALSE(RunningEditor::WaitUntil(changed, 3)) << Size(mEditor->MainRect());
  // The corner handle still does: (-285, -200) gives 853 x 599, as bare.
  mEditor->Drag(window.x + window.w - 1, window.y + window.h - 1, window.x + window.w - 286, window.y + window.h - 201);
  EXPECT_TRUE(ClientIs("853x599")) << Size(ClientArea(*mEditor));
  EXPECT_EQ(mEditor->Stop(SIGTERM), 0);
}

// The View menu offers only the scales whose window fits the work area:
// on 1920x1080 under a window manager 130 % and 200 % are greyed (choosing
// them changes nothing) while 120 % is offered and taken.
TEST_F(WindowScale, TheViewMenuGreysTheScalesThatDoNotFit)
{
  constexpr int kView = 2, kSize120 = 5, kSize130 = 6, kSize200 = 7;
  RunningEditorSetup setup;
  setup.settings = "[gui]\nguiscale=1.0\n";
  setup.screenWidth = 1920;
  setup.screenHeight = 1080;
  setup.windowManager = true;
  mEditor = std::make_unique<RunningEditor>(setup);
  RUNNING_EDITOR_START_OR_SKIP(*mEditor);
  ASSERT_TRUE(ClientIs("1140x800")) << Size(ClientArea(*mEditor));
  for (int greyed : {kSize200, kSize130})
  {
    SCOPED_TRACE(greyed);
    ASSERT_TRUE(mEditor->ChooseMenu(kView, greyed));
    // A greyed item leaves its menu open; Escape closes it.
    mEditor->Key("Escape");
    EXPECT_FALSE(RunningEditor::WaitUntil([&] { return !Stored("1.0"); }, 2)) << mEditor->SettingsText();
    EXPECT_TRUE(ClientIs("1140x800")) << Size(ClientArea(*mEditor));
  }
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return mEditor->OtherWindows().empty(); }, RunningEditor::kBusyLimit));
  ASSERT_TRUE(mEditor->ChooseMenu(kView, kSize120));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return Stored("1.200000000000000"); }, RunningEditor::kBusyLimit)) << mEditor->SettingsText();
  EXPECT_TRUE(ClientIs("1368x960")) << Size(ClientArea(*mEditor));
  EXPECT_EQ(mEditor->Stop(SIGTERM), 0);
}
}  // namespace
