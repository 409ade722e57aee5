// The program as a user starts it: its window on a display of its own, the
// last program sent to the synth it finds on its stored ports, its menu bar
// answering the pointer, and its settings saved when the session ends it.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>


namespace
{
TEST(Startup, SendsTheProgramShowsItsMenusAndSavesOnTermination)
{
  RunningEditor editor;
  std::string error;
  if (!editor.Start(error))
  {
    if (error.rfind("no JACK server", 0) == 0) GTEST_SKIP() << error;
    FAIL() << error;
  }
  // Start-up sends the last program whole: its 336 controllers.
  EXPECT_TRUE(editor.HeardAProgram());
  const RunningEditor::Rect window = editor.MainRect();
  EXPECT_EQ(window.w, 1140);
  EXPECT_TRUE(editor.SavePicture("e2e-startup", window));

  // File and Help at least; File opens a menu of its own under the bar,
  // which Escape closes again.
  std::vector<RunningEditor::Rect> titles;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return (titles = editor.MenuBarItems()).size() >= 2; }));
  editor.Click(titles[0].CenterX(), titles[0].CenterY());
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return !editor.OpenMenuItems().empty(); }, RunningEditor::kBusyLimit));
  editor.Key("Escape");
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }, RunningEditor::kBusyLimit));

  EXPECT_EQ(editor.Stop(SIGTERM), 0);
  EXPECT_NE(editor.SettingsText().find("manager=false"), std::string::npos) << editor.SettingsText();
  EXPECT_NE(editor.SettingsText().find("outdev=" + editor.Synth().InputName()), std::string::npos)
    << editor.SettingsText();
}
}  // namespace
