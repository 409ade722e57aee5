// The harness itself on the running program: windows that close while it
// reads them (menus, message boxes) and places off the screen read as
// nothing, and the test goes on.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

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
}  // namespace
