// The file buttons LOAD, SAVE, WRITE and WRITE ALL in the running program: each opens
// its file chooser, and a chooser cancelled leaves the button as it was
// before the press, so that the next click opens the chooser again.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace
{
using Rect = RunningEditor::Rect;

// The chooser itself, not a passing tooltip: a large window.
bool ChooserUp(const RunningEditor& editor)
{
  for (unsigned long window : editor.OtherWindows())
    if (editor.WindowRect(window).w > 300) return true;
  return false;
}

bool ChooserGone(const RunningEditor& editor) { return !ChooserUp(editor); }

struct Button
{
  const char* name;
  int x, y;  // the button's top-left corner in the GUI
  const char* cancel;  // the key that cancels its chooser
};

TEST(FileButtons, ACancelledChooserLeavesTheButtonAsItWasAndTheNextClickOpensItAgain)
{
  const Button kButtons[] = {{"LOAD", 56, 11, "Escape"}, {"SAVE", 100, 11, "Escape"}, {"WRITE", 142, 11, "Escape"},
                              {"WRITE ALL", 206, 11, "Escape"}};
  RunningEditorSetup setup;
  setup.settings = "[gui]\nguiscale=1.0\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  // Each button as it looks before any press.
  std::vector<std::vector<uint32_t>> faces;
  const auto faceOf = [&](const Button& button) {
    const auto [x, y] = editor.GuiPoint(button.x, button.y);
    return Rect{x, y, 36, 14};
  };
  for (const Button& button : kButtons) faces.push_back(editor.Grab(faceOf(button)));
  for (size_t b = 0; b < std::size(kButtons); ++b)
  {
    const Button& button = kButtons[b];
    SCOPED_TRACE(button.name);
    const Rect face = faceOf(button);
    const int x = face.x, y = face.y;
    const std::vector<uint32_t>& before = faces[b];
    ASSERT_FALSE(before.empty());
    for (int round = 0; round < 2; ++round)
    {
      SCOPED_TRACE(round);
      editor.Click(x + 18, y + 7);
      ASSERT_TRUE(RunningEditor::WaitUntil([&] { return ChooserUp(editor); }, RunningEditor::kBusyLimit)) << "no chooser";
      editor.Key(button.cancel);
      ASSERT_TRUE(RunningEditor::WaitUntil([&] { return ChooserGone(editor); }, RunningEditor::kBusyLimit)) << "the chooser stayed";
      // Unlit again, as before the press (the pointer away, with no
      // tooltip over the button).
      editor.MoveTo(0, 0);
      if (!RunningEditor::WaitUntil([&] { return editor.Grab(face) == before; }, RunningEditor::kBusyLimit))
      {
        ADD_FAILURE() << "the button stayed lit";
        editor.SavePicture(std::string("e2e-lit-") + button.name, editor.MainRect());
      }
    }
    EXPECT_TRUE(editor.SavePicture(std::string("e2e-cancelled-") + button.name, face));
  }
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
}  // namespace
