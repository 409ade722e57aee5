// The program's message boxes under a window manager: a box is the modal
// box of the main window (it says it belongs to it, the window takes no
// click, nor its menus, meanwhile, and the box stays above it); once it is
// answered the window answers again.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr int kFileMenu = 0, kSaveAllFromZephra = 6;
constexpr int kViewMenu = 2;

// Windows other than the main one and larger than a tooltip: the box,
// choosers, menus.
int LargeWindows(const RunningEditor& editor)
{
  int n = 0;
  for (unsigned long window : editor.OtherWindows())
    n += editor.WindowRect(window).w > 100 && editor.WindowRect(window).h > 60;
  return n;
}

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
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return ChooserUp(editor); }, RunningEditor::kBusyLimit)) << "no chooser";
  editor.Key("Escape");
  RunningEditor::Alert first;
  ASSERT_TRUE(editor.WaitForAlert(first, RunningEditor::kBusyLimit));
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

  // LOAD opens nothing while the box stands, nor do the menus.
  const int large = LargeWindows(editor);
  const auto [loadX, loadY] = editor.GuiPoint(74, 18);
  editor.Click(loadX, loadY);
  EXPECT_FALSE(RunningEditor::WaitUntil([&] { return LargeWindows(editor) > large; }, 2)) << "a chooser behind the box";
  std::vector<RunningEditor::Rect> titles;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return (titles = editor.MenuBarItems()).size() > static_cast<size_t>(kViewMenu); }));
  editor.Click(titles[kViewMenu].CenterX(), titles[kViewMenu].CenterY());
  EXPECT_FALSE(RunningEditor::WaitUntil([&] { return LargeWindows(editor) > large; }, 2)) << "a menu behind the box";
  EXPECT_EQ(editor.Pixel(boxRect.CenterX(), boxRect.CenterY()), boxPixel);

  EXPECT_TRUE(editor.Answer(first, 0));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Alerts().empty(); }, RunningEditor::kBusyLimit));
  // The box answered, the window's first click is its own again.
  editor.FocusMain();
  editor.Click(loadX, loadY);
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return ChooserUp(editor); }, RunningEditor::kBusyLimit)) << "LOAD did not answer after the box";
  editor.Key("Escape");
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
}  // namespace
