// The harness itself on the running program: windows that close while it
// reads them (menus, message boxes) and places off the screen read as
// nothing, and the test goes on; the pointer moves where it is sent.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

namespace
{
// The program alone, without the synth, on a 1600x1200 screen.
struct Harness : ::testing::Test
{
  static RunningEditorSetup ProgramAlone()
  {
    RunningEditorSetup setup;
    setup.synth = false;
    setup.screenWidth = 1600;
    setup.screenHeight = 1200;
    return setup;
  }
  RunningEditor editor{ProgramAlone()};
};

TEST_F(Harness, GoneWindowsAndPlacesOffTheScreenReadAsNothing)
{
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;
  // No such window on a fresh display: the server answers with an error.
  const RunningEditor::Rect gone = editor.WindowRect(0x3FFFFFFF);
  EXPECT_EQ(gone.w, 0);
  EXPECT_EQ(gone.h, 0);
  EXPECT_TRUE(editor.Grab({1590, 1190, 20, 20}).empty());
  EXPECT_TRUE(editor.Grab({-5, 0, 10, 10}).empty());
  // n-1: the last pixels of the screen still read.
  EXPECT_EQ(editor.Grab({1580, 1180, 20, 20}).size(), 400u);
  EXPECT_EQ(editor.MainRect().w, 1140);
  EXPECT_TRUE(editor.Running());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// A drag of 4 pixels in 10 steps sends the pointer to the same point again
// and again, and a click often goes where the pointer already is: each such
// move returns at once, where each took 15 s when it waited for a move.
TEST_F(Harness, AMoveToWhereThePointerIsReturnsAtOnce)
{
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;
  // Below and right of the main window: the root window, where a drag does nothing.
  editor.MoveTo(1500, 1100);
  EXPECT_EQ(editor.Pointer(), (std::pair<int, int>(1500, 1100)));
  const auto start = std::chrono::steady_clock::now();
  editor.MoveTo(1500, 1100);
  editor.Drag(1500, 1100, 1500, 1104);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(editor.Pointer(), (std::pair<int, int>(1500, 1104)));
  EXPECT_LT(seconds, 10.0);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// A menu opened twice in a row (its marks read, then an item chosen) is
// clicked twice at its title; the second opening must not wait out the
// pointer tool's 15 s for a move that never comes (a busy machine takes a
// few seconds for an opening).
TEST(HarnessMenu, AMenuOpenedAgainOpensAtOnce)
{
  RunningEditorSetup setup;
  setup.synth = false;
  setup.settings = "[gui]\nguiscale=1.0\nbackground=space\n";
  RunningEditor editor(setup);
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;
  constexpr int kView = 2;
  // The settings' scale 100 %, the whole panel and the space look.
  const std::vector<int> expected{3, 8, 10};
  EXPECT_EQ(editor.MarkedMenuItems(kView), expected);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(editor.MarkedMenuItems(kView), expected);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 12.0);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// A title whose menu is open is lit (blue, and underlined across its
// padding), as it still is for a moment after its menu has closed: the bar
// reads as its five titles, where they are when none is lit. Read with the
// underline, View ran into Edit, and a second opening of View clicked Program.
TEST(HarnessMenu, TheTitlesReadTheSameWhileOneIsLit)
{
  RunningEditorSetup setup;
  setup.synth = false;
  RunningEditor editor(setup);
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;
  std::vector<RunningEditor::Rect> unlit;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return (unlit = editor.MenuBarItems()).size() == 5; }));
  constexpr int kView = 2;
  ASSERT_FALSE(editor.OpenMenu(kView).empty());
  const std::vector<RunningEditor::Rect> lit = editor.MenuBarItems();
  editor.Key("Escape");
  ASSERT_EQ(lit.size(), 5u);
  for (size_t i = 0; i < lit.size(); ++i)
  {
    EXPECT_EQ(lit[i].x, unlit[i].x) << i;
    EXPECT_EQ(lit[i].w, unlit[i].w) << i;
  }
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
}  // namespace
