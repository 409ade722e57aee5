// The program's message boxes under a window manager: a box is the modal
// box of the main window (it says it belongs to it) and stays above it when
// the window is clicked.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr int kFileMenu = 0, kSaveAllFromZephra = 6;

bool ChooserUp(const RunningEditor& editor)
{
  for (unsigned long window : editor.OtherWindows())
    if (editor.WindowRect(window).w > 300) return true;
  return false;
}

TEST(MessageBoxes, ABoxIsModalToTheMainWindow)
{
  RunningEditorSetup setup;
  setup.settings = "[gui]\nguiscale=1.0\n";
  setup.windowManager = true;
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  // The synth stays quiet: after the folder chooser (cancelled), the
  // timer's watch on the reply raises its box from the timer's thread.
  editor.Synth().With([](SynthSimModel& m) { m.silent = true; });
  ASSERT_TRUE(editor.ChooseMenu(kFileMenu, kSaveAllFromZephra));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return ChooserUp(editor); }, 10)) << "no chooser";
  editor.Key("Escape");
  RunningEditor::Alert first;
  ASSERT_TRUE(editor.WaitForAlert(first, 30));
  const unsigned long box = editor.AlertWindow(first);
  ASSERT_NE(box, 0u);
  EXPECT_EQ(editor.TransientFor(box), editor.MainWindow());

  // A click on the main window leaves the box above it.
  const RunningEditor::Rect boxRect = editor.WindowRect(box);
  const uint32_t boxPixel = editor.Pixel(boxRect.CenterX(), boxRect.CenterY());
  const RunningEditor::Rect main = editor.MainRect();
  editor.Click(main.x + 2, main.y + main.h - 2);
  EXPECT_FALSE(RunningEditor::WaitUntil(
    [&] { return editor.Pixel(boxRect.CenterX(), boxRect.CenterY()) != boxPixel; }, 2))
    << "the box went behind the main window";
  EXPECT_TRUE(editor.Answer(first, 0));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Alerts().empty(); }, 10));
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
}  // namespace
