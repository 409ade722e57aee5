// The harness itself on the running program: windows that close while it
// reads them (menus, message boxes) and places off the screen read as
// nothing, and the test goes on.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <chrono>

namespace
{
TEST(Harness, GoneWindowsAndPlacesOffTheScreenReadAsNothing)
{
  RunningEditorSetup setup;
  setup.synth = false;
  setup.screenWidth = 1600;
  setup.screenHeight = 1200;
  RunningEditor editor(setup);
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

// Clicking one place twice (a menu's title: open, then again to choose)
// moves the pointer to where it already is; that must not wait for a move
// that never comes.
TEST(Harness, APointerMovedToWhereItIsGoesOnAtOnce)
{
  RunningEditorSetup setup;
  setup.synth = false;
  RunningEditor editor(setup);
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;
  const RunningEditor::Rect main = editor.MainRect();
  const int x = main.x + 600, y = main.y + 400;
  editor.MoveTo(x, y);
  EXPECT_TRUE(editor.PointerAt(x, y));
  EXPECT_FALSE(editor.PointerAt(x + 1, y));
  const auto start = std::chrono::steady_clock::now();
  editor.MoveTo(x, y);
  editor.MoveTo(x, y);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
  EXPECT_TRUE(editor.PointerAt(x, y));
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
}  // namespace
